#include "studio/reports/ReportFile.h"

#include <locale.h>

#include <cstdio>
#include <vector>

#include "common/FileIo.h"

namespace tessary {

std::string ToCrLf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

bool WriteReportFile(const std::string& path, const std::string& text, std::string& error) {
    return WriteWholeFile(path, ToCrLf(text), error);
}

void AppendF(std::string& out, const char* format, ...) {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    const locale_t previous = uselocale(c);
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (needed > 0) {
        std::vector<char> buffer(static_cast<std::size_t>(needed) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, args);
        out.append(buffer.data(), static_cast<std::size_t>(needed));
    }
    va_end(args);
    uselocale(previous);
}

}  // namespace tessary
