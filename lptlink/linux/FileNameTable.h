#pragma once
// The process-shared name table on Linux: one small file per name with its reference
// count, in a folder of the user's runtime directory, changed under a file lock.

#include <string>

#include "lptlink/core/Platform.h"

namespace lptlink {

class FileNameTable : public GlobalNameTable {
public:
    // folder empty: $XDG_RUNTIME_DIR/tessary-names, else /tmp/tessary-names-<uid>.
    explicit FileNameTable(std::string folder = "");
    std::uint16_t Find(const std::string& name) override;
    std::uint16_t Add(const std::string& name) override;
    void Delete(std::uint16_t atom) override;

    static std::uint16_t AtomOf(const std::string& name);

private:
    std::string EntryPath(std::uint16_t atom) const;
    std::string folder_;
};

}  // namespace lptlink
