// The text-file line reader on any bytes: the lines it gives are the file's
// lines by the game's rules, cut short they are those lines' beginnings, and
// writing them back and reading again gives the same lines, up to one that
// begins with a Ctrl-Z.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzFiles.h"
#include "game/TextFile.h"

namespace {

using Lines = std::vector<std::string>;

// The rules stated directly on the whole text: it ends at a Ctrl-Z where a line
// begins; it splits at LF, a line end closing the last line does not open one,
// and every CR left in a line is dropped.
Lines ExpectedLines(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\x1A' && (i == 0 || text[i - 1] == '\n')) {
            text = text.substr(0, i);
            break;
        }
    }
    Lines lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t lf = text.find('\n', start);
        const std::size_t end = lf == std::string_view::npos ? text.size() : lf;
        std::string line;
        for (char c : text.substr(start, end - start))
            if (c != '\r') line += c;
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

Lines ReadLines(const std::string& path, std::size_t keep = std::string::npos) {
    game::TextReader reader(path);
    Lines lines;
    while (!reader.Eof()) lines.push_back(reader.ReadLine(keep));
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto& folder = fuzz::ScratchFolder::Get();
    const std::string path = folder.Write("intro.txt", data, size);
    const Lines lines = ReadLines(path);
    const Lines expected = ExpectedLines({reinterpret_cast<const char*>(data), size});
    fuzz::Check(lines == expected, "the lines read differ from the file's lines");

    // Lines cut short (at a length the input picks) are the same lines' beginnings.
    const std::size_t keep = size == 0 ? 0 : data[0] % 16;
    Lines cut = expected;
    for (std::string& line : cut) line.resize(std::min(line.size(), keep));
    fuzz::Check(ReadLines(path, keep) == cut, "lines cut short are not the lines' beginnings");

    // A line may begin with a Ctrl-Z (after a lone CR); written out, it ends the file.
    Lines kept = lines;
    for (std::size_t i = 0; i < kept.size(); ++i) {
        if (!kept[i].empty() && kept[i][0] == '\x1A') {
            kept.resize(i);
            break;
        }
    }
    const std::string copy = folder.Path("copy.txt");
    game::WriteTextFile(copy, lines);
    fuzz::Check(ReadLines(copy) == kept, "lines written and read again came back changed");
    return 0;
}
