#include "host/HostUi.h"

#include "common/MessageSink.h"
#include "host/kx6500_host.h"

namespace kxdebug {

std::uint32_t UnattendedAnswer(std::uint32_t style) {
    return (style & 0x0F) == HOST_MB_OK ? HOST_ID_OK : HOST_ID_CANCEL;
}

std::uint32_t ConsoleUi::MessageBox(const std::string& text, const std::string& title, std::uint32_t style) {
    err_ << title << ": " << tessary::OneLine(text) << std::endl;
    return UnattendedAnswer(style);
}

}  // namespace kxdebug
