#pragma once
// The virtual target's serial door: the master side of a pseudo-terminal whose slave
// the PC's program opens as its serial port. A slave descriptor of our own stays open,
// so that a host closing the port hangs nothing up and the next one finds the line as
// it was. SIGINT and SIGTERM end serving, SIGUSR1 is a power-on reset; they are taken
// through a signal descriptor and wake the wait like bytes do.

#include <memory>
#include <string>

#include "sim/target/TargetLine.h"

namespace sim {

class PtyDoor final : public TargetLine {
public:
    // Nothing, with the reason in error, when the pseudo-terminal cannot be created.
    static std::unique_ptr<PtyDoor> Open(std::string& error);
    ~PtyDoor() override;
    PtyDoor(const PtyDoor&) = delete;
    PtyDoor& operator=(const PtyDoor&) = delete;

    const std::string& SlavePath() const { return slavePath_; }

    std::uint64_t NowUs() override;
    void WaitUntil(std::uint64_t us) override;
    std::size_t Read(std::span<std::uint8_t> buffer) override;
    void Write(std::span<const std::uint8_t> bytes) override;
    int HostBitRate() override;
    Events TakeEvents() override;

private:
    PtyDoor() = default;
    int master_ = -1, slave_ = -1, signals_ = -1;
    std::string slavePath_;
    Events events_;
};

// The output bit rate of the terminal behind fd (any rate, also those without a B
// constant); 0 when it cannot be read.
int TerminalBitRate(int fd);

}  // namespace sim
