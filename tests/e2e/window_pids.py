"""Prints "WINDOW PID" for each window id given: the process of the X client
that made the window, as the server itself knows it (X-Resource extension).
Unlike _NET_WM_PID this needs nothing from the program, so message boxes and
plain Xlib programs are found as well; a window that is gone prints nothing."""
import ctypes
import ctypes.util
import sys


class ClientQuery(ctypes.Structure):
    _fields_ = [("client", ctypes.c_uint32), ("mask", ctypes.c_uint32)]


class ClientIdValue(ctypes.Structure):
    _fields_ = [("query", ClientQuery), ("length", ctypes.c_uint32)]


class ClientIdValueIterator(ctypes.Structure):
    _fields_ = [("data", ctypes.POINTER(ClientIdValue)), ("rem", ctypes.c_int), ("index", ctypes.c_int)]


LOCAL_CLIENT_PID = 2

xcb = ctypes.CDLL(ctypes.util.find_library("xcb") or "libxcb.so.1")
res = ctypes.CDLL(ctypes.util.find_library("xcb-res") or "libxcb-res.so.0")
xcb.xcb_connect.restype = ctypes.c_void_p
xcb.xcb_connect.argtypes = [ctypes.c_char_p, ctypes.c_void_p]
xcb.xcb_connection_has_error.argtypes = [ctypes.c_void_p]
xcb.xcb_disconnect.argtypes = [ctypes.c_void_p]
res.xcb_res_query_client_ids.restype = ctypes.c_uint
res.xcb_res_query_client_ids.argtypes = [ctypes.c_void_p, ctypes.c_uint32, ctypes.POINTER(ClientQuery)]
res.xcb_res_query_client_ids_reply.restype = ctypes.c_void_p
res.xcb_res_query_client_ids_reply.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_void_p]
res.xcb_res_query_client_ids_ids_iterator.restype = ClientIdValueIterator
res.xcb_res_query_client_ids_ids_iterator.argtypes = [ctypes.c_void_p]
res.xcb_res_client_id_value_value.restype = ctypes.POINTER(ctypes.c_uint32)
res.xcb_res_client_id_value_value.argtypes = [ctypes.POINTER(ClientIdValue)]
libc = ctypes.CDLL(None)
libc.free.argtypes = [ctypes.c_void_p]

conn = xcb.xcb_connect(None, None)
if not conn or xcb.xcb_connection_has_error(conn):
    sys.exit("cannot open the display")
for arg in sys.argv[1:]:
    window = int(arg, 0)
    query = ClientQuery(window, LOCAL_CLIENT_PID)
    reply = res.xcb_res_query_client_ids_reply(conn, res.xcb_res_query_client_ids(conn, 1, ctypes.byref(query)), None)
    if not reply:
        continue   # the window went away in the meantime
    it = res.xcb_res_query_client_ids_ids_iterator(reply)
    if it.rem > 0 and it.data[0].length == 4:
        print(arg, res.xcb_res_client_id_value_value(it.data)[0])
    libc.free(reply)
xcb.xcb_disconnect(conn)
