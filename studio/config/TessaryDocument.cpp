#include "studio/config/TessaryDocument.h"

#include "studio/config/ConfigFile.h"

namespace tessary {

void TessaryDocument::OnNewDocument() {
    config.Reset();
    settingsApplied = true;
    modified = false;
}

bool TessaryDocument::Load(std::span<const std::uint8_t> bytes, std::string& error) {
    config.Reset();
    modified = false;
    return DeserializeConfig(bytes, config, error);
}

std::string TessaryDocument::SaveBytes() const {
    const auto bytes = SerializeConfig(config);
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace tessary
