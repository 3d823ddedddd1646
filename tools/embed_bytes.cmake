# Writes a C++ source whose function FUNCTION (in namespace NAMESPACE) returns
# the bytes of INPUT, for a file the program carries inside itself.
#   cmake -DINPUT=... -DOUTPUT=... -DNAMESPACE=... -DFUNCTION=... -P embed_bytes.cmake
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes
       "${bytes}")
file(WRITE ${OUTPUT}.tmp "// Made from ${INPUT} at build time.
#include <span>

namespace ${NAMESPACE} {

namespace {
const unsigned char kBytes[${size}] = {
${bytes}
};
}  // namespace

std::span<const unsigned char> ${FUNCTION}() { return kBytes; }

}  // namespace ${NAMESPACE}
")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.tmp)
