#include "replay/Record.h"

#include <array>
#include <limits>

namespace replay {

namespace {

constexpr std::string_view kMagic = "SWOOPYRC";
// Bits 4-7 of an entry's first byte: a timer or channel, or a press's button.
constexpr unsigned kHasMods = 0x80;
constexpr unsigned kRepeat = 0x10;
// Ten minutes of game time and more are far beyond what the clock allows.
constexpr std::int64_t kMaxTimeUs = std::int64_t{24} * 3600 * 1000000;
constexpr std::int64_t kMaxPosition = 1 << 20;

std::uint32_t Crc32(std::string_view bytes) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char b : bytes) crc = table[(crc ^ b) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

std::uint64_t ZigZag(std::int64_t v) {
    return (static_cast<std::uint64_t>(v) << 1) ^ static_cast<std::uint64_t>(v >> 63);
}
std::int64_t UnZigZag(std::uint64_t v) { return static_cast<std::int64_t>(v >> 1) ^ -static_cast<std::int64_t>(v & 1); }

class Writer {
public:
    void Byte(unsigned b) { out_ += static_cast<char>(b); }
    void Var(std::uint64_t v) {
        while (v >= 0x80) {
            Byte(static_cast<unsigned>(v & 0x7F) | 0x80);
            v >>= 7;
        }
        Byte(static_cast<unsigned>(v));
    }
    void Signed(std::int64_t v) { Var(ZigZag(v)); }
    void Text(const std::string& s) {
        Var(s.size());
        out_ += s;
    }
    void Texts(const std::vector<std::string>& list) {
        Var(list.size());
        for (const std::string& s : list) Text(s);
    }
    std::string& Bytes() { return out_; }

private:
    std::string out_;
};

class Reader {
public:
    explicit Reader(std::string_view in) : in_(in) {}
    std::size_t Left() const { return in_.size() - at_; }
    unsigned Byte() {
        if (at_ == in_.size()) throw RecordError("the record is cut short");
        return static_cast<unsigned char>(in_[at_++]);
    }
    std::uint64_t Var() {
        std::uint64_t v = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            const unsigned b = Byte();
            v |= static_cast<std::uint64_t>(b & 0x7F) << shift;
            if (!(b & 0x80)) return v;
        }
        throw RecordError("a number in the record runs on");
    }
    std::uint64_t Var(std::uint64_t max, const char* what) {
        const std::uint64_t v = Var();
        if (v > max) throw RecordError(std::string("the record's ") + what + " is out of range");
        return v;
    }
    std::int64_t Signed(std::int64_t limit, const char* what) {
        const std::int64_t v = UnZigZag(Var());
        if (v > limit || v < -limit) throw RecordError(std::string("the record's ") + what + " is out of range");
        return v;
    }
    // A count of items of at least minBytes each, which the bytes left must hold.
    std::size_t Count(std::size_t minBytes) {
        const std::uint64_t n = Var();
        if (n > Left() / minBytes) throw RecordError("the record is cut short");
        return static_cast<std::size_t>(n);
    }
    std::string Text() {
        const std::uint64_t n64 = Var();
        if (n64 > Left()) throw RecordError("the record is cut short");
        const auto n = static_cast<std::size_t>(n64);
        std::string s(in_.substr(at_, n));
        at_ += n;
        return s;
    }
    std::vector<std::string> Texts(std::size_t max, const char* what) {
        const std::size_t n = Count(1);
        if (n > max) throw RecordError(std::string("the record has too many ") + what);
        std::vector<std::string> list;
        for (std::size_t i = 0; i < n; ++i) list.push_back(Text());
        return list;
    }

private:
    std::string_view in_;
    std::size_t at_ = 0;
};

bool IsPointer(EntryKind k) { return k == EntryKind::Move || k == EntryKind::Down || k == EntryKind::Up; }
bool IsKey(EntryKind k) { return k == EntryKind::KeyDown || k == EntryKind::KeyUp; }

void WriteEntry(Writer& w, const Entry& e, const Entry& before) {
    unsigned first = static_cast<unsigned>(e.kind);
    if (e.kind == EntryKind::Tick || e.kind == EntryKind::Sound) first |= (e.index & 0x0F) << 4;
    if (e.kind == EntryKind::Down || e.kind == EntryKind::Up) first |= (e.button & 0x03u) << 4;
    if (IsKey(e.kind) && e.repeat) first |= kRepeat;
    if ((IsPointer(e.kind) || IsKey(e.kind)) && e.mods != 0) first |= kHasMods;
    w.Byte(first);
    w.Var(static_cast<std::uint64_t>(e.timeUs - before.timeUs));
    if (IsPointer(e.kind)) {
        w.Signed(std::int64_t{e.x} - before.x);
        w.Signed(std::int64_t{e.y} - before.y);
        if (e.kind == EntryKind::Down) w.Signed(e.eventUs - e.timeUs);
    }
    if (IsKey(e.kind)) w.Signed(e.key);
    if ((IsPointer(e.kind) || IsKey(e.kind)) && e.mods != 0) w.Var(e.mods);
    if (e.kind == EntryKind::Text) w.Var(e.index);
    if (e.kind == EntryKind::Sound) w.Var(e.value);
}

Entry ReadEntry(Reader& r, const Entry& before, const Record& rec) {
    Entry e;
    const unsigned first = r.Byte();
    const unsigned kind = first & 0x0F;
    if (kind >= kEntryKinds) throw RecordError("the record holds an entry of an unknown kind");
    e.kind = static_cast<EntryKind>(kind);
    e.timeUs = before.timeUs + static_cast<std::int64_t>(r.Var(static_cast<std::uint64_t>(kMaxTimeUs), "time"));
    if (e.timeUs > kMaxTimeUs) throw RecordError("the record's time is out of range");
    e.x = before.x;
    e.y = before.y;
    const unsigned arg = first >> 4;
    if (e.kind == EntryKind::Tick && arg >= rec.timers.size()) throw RecordError("the record ticks an unknown timer");
    if (e.kind == EntryKind::Sound && arg >= rec.channels.size())
        throw RecordError("the record names an unknown sound channel");
    if (e.kind == EntryKind::Tick || e.kind == EntryKind::Sound) e.index = arg;
    if (IsPointer(e.kind)) {
        e.x = static_cast<std::int32_t>(before.x + r.Signed(kMaxPosition, "pointer position"));
        e.y = static_cast<std::int32_t>(before.y + r.Signed(kMaxPosition, "pointer position"));
        if (e.x > kMaxPosition || e.x < -kMaxPosition || e.y > kMaxPosition || e.y < -kMaxPosition)
            throw RecordError("the record's pointer position is out of range");
        if (e.kind != EntryKind::Move) e.button = static_cast<std::uint8_t>(arg & 0x03);
        if (e.kind == EntryKind::Down) e.eventUs = e.timeUs + r.Signed(kMaxTimeUs, "press time");
    }
    if (IsKey(e.kind)) {
        e.repeat = (first & kRepeat) != 0;
        e.key = static_cast<std::int32_t>(r.Signed(std::numeric_limits<std::int32_t>::max(), "key"));
    }
    if ((IsPointer(e.kind) || IsKey(e.kind)) && (first & kHasMods))
        e.mods = static_cast<std::uint32_t>(r.Var(0xFF, "modifier keys"));
    if (e.kind == EntryKind::Text) {
        e.index = static_cast<std::uint32_t>(r.Var(rec.texts.size(), "typed text"));
        if (e.index >= rec.texts.size()) throw RecordError("the record types an unknown text");
    }
    if (e.kind == EntryKind::Sound) e.value = static_cast<std::uint32_t>(r.Var(3, "sound outcome"));
    return e;
}

void WriteHeader(Writer& w, const Record& rec) {
    w.Bytes() += kMagic;
    w.Var(kFormatVersion);
    w.Text(rec.gameVersion);
    w.Signed(rec.startedUnix);
    w.Text(rec.name);
    w.Signed(rec.score);
}

Record ReadHeader(Reader& r) {
    for (char c : kMagic)
        if (r.Left() == 0 || r.Byte() != static_cast<unsigned char>(c)) throw RecordError("this is not a game record");
    const std::uint64_t version = r.Var();
    if (version != kFormatVersion)
        throw RecordError("the record's format " + std::to_string(version) + " is unknown to this game (it reads " +
                          std::to_string(kFormatVersion) + ")");
    Record rec;
    rec.gameVersion = r.Text();
    rec.startedUnix = r.Signed(std::numeric_limits<std::int64_t>::max() / 2, "start time");
    rec.name = r.Text();
    rec.score = static_cast<std::int32_t>(r.Signed(std::numeric_limits<std::int32_t>::max(), "score"));
    return rec;
}

}  // namespace

std::uint32_t Checksum(std::string_view body) { return Crc32(body); }

std::string Encode(const Record& rec) {
    Writer w;
    WriteHeader(w, rec);
    w.Byte(rec.tileField ? 1 : 0);
    w.Texts(rec.timers);
    w.Texts(rec.channels);
    w.Var(rec.seeds.size());
    std::uint32_t seed = 0;
    for (std::uint32_t s : rec.seeds) {
        // Reseeds come from a counter: the step from the last one is small.
        w.Var(static_cast<std::uint32_t>(s - seed));
        seed = s;
    }
    w.Texts(rec.pastes);
    w.Texts(rec.texts);
    w.Var(rec.entries.size());
    Entry before;
    for (const Entry& e : rec.entries) {
        WriteEntry(w, e, before);
        before = e;
    }
    const std::uint32_t crc = Crc32(w.Bytes());
    for (int i = 0; i < 4; ++i) w.Byte((crc >> (8 * i)) & 0xFF);
    return std::move(w.Bytes());
}

Record DecodeHeader(std::string_view bytes) {
    Reader r(bytes);
    return ReadHeader(r);
}

Record Decode(std::string_view bytes) {
    if (bytes.size() > kMaxRecordBytes) throw RecordError("the file is too large to be a game record");
    Record rec = DecodeHeader(bytes);  // an unknown format says so before any checksum
    if (bytes.size() < 4) throw RecordError("the record is cut short");
    const std::string_view body = bytes.substr(0, bytes.size() - 4);
    std::uint32_t stored = 0;
    for (int i = 0; i < 4; ++i)
        stored |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[body.size() + i])) << (8 * i);
    if (Crc32(body) != stored) throw RecordError("the record is damaged or cut short (its checksum does not match)");

    Reader r(body);
    ReadHeader(r);
    const unsigned field = r.Byte();
    if (field > 1) throw RecordError("the record's tile field flag is out of range");
    rec.tileField = field == 1;
    rec.timers = r.Texts(kMaxNames, "timers");
    rec.channels = r.Texts(kMaxNames, "sound channels");
    const std::size_t seeds = r.Count(1);
    rec.seeds.reserve(seeds);
    std::uint32_t seed = 0;
    for (std::size_t i = 0; i < seeds; ++i) {
        seed += static_cast<std::uint32_t>(r.Var(0xFFFFFFFFu, "seed"));
        rec.seeds.push_back(seed);
    }
    rec.pastes = r.Texts(r.Left(), "pastes");
    rec.texts = r.Texts(r.Left(), "typed texts");
    const std::size_t entries = r.Count(2);
    rec.entries.reserve(entries);
    Entry before;
    for (std::size_t i = 0; i < entries; ++i) {
        rec.entries.push_back(ReadEntry(r, before, rec));
        before = rec.entries.back();
    }
    if (r.Left() != 0) throw RecordError("the record has bytes after its end");
    return rec;
}

}  // namespace replay
