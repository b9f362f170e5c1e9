#pragma once
// Reports are built with "\n" line ends and written with CR LF on every platform: the
// demonstration-board programmer reads one of them back by byte position.

#include <cstdarg>
#include <string>

namespace tessary {

std::string ToCrLf(const std::string& text);
// Creates or truncates the file; false with a readable error when it cannot be written.
bool WriteReportFile(const std::string& path, const std::string& text, std::string& error);

// Appends printf-style text with the C locale's decimal point.
void AppendF(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));

// The entry for an index, or an empty text for an index the table does not have (only
// a corrupt document file holds one).
template <std::size_t N>
const char* Pick(const char* const (&table)[N], int index) {
    return index >= 0 && static_cast<std::size_t>(index) < N ? table[index] : "";
}

}  // namespace tessary
