// The game-record reader on any bytes, and on the same bytes with their
// checksum mended so that the rest is read too: a record is either refused
// with a reason or read into one that, written again, reads back to itself.
// Counts are bounded by what the bytes can hold, and times never go back.
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzFiles.h"
#include "replay/Record.h"

namespace {

void ReadAndRewrite(std::string_view bytes) {
    replay::Record record;
    try {
        record = replay::Decode(bytes);
    } catch (const replay::RecordError& e) {
        fuzz::Check(e.what()[0] != '\0', "a record refused without a reason");
        return;
    }
    fuzz::Check(record.entries.size() <= bytes.size() / 2, "more entries than the bytes can hold");
    for (std::size_t i = 1; i < record.entries.size(); ++i)
        fuzz::Check(record.entries[i].timeUs >= record.entries[i - 1].timeUs, "an entry earlier than the one before");
    const std::string again = replay::Encode(record);
    fuzz::Check(replay::Decode(again) == record, "a record read, written and read again is another");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    ReadAndRewrite(bytes);
    // Past the checksum too: the same bytes with the checksum they would need.
    if (size >= 4) {
        std::string mended(bytes.substr(0, size - 4));
        const std::uint32_t crc = replay::Checksum(mended);
        for (int i = 0; i < 4; ++i) mended += static_cast<char>((crc >> (8 * i)) & 0xFF);
        ReadAndRewrite(mended);
    }
    return 0;
}
