#pragma once
// Test sides of the programmer dialog's seams: a device that plays the transaction's
// page reports, a settings store in memory, files in a set, boxes that record and
// answer from a script, a view that records, and a runner that runs the worker inline.

#include <cstdio>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "lptlink/core/ProgrammerDialog.h"

namespace lptlink::testing {

struct RecordedTransaction {
    int portBase = 0;
    float clockHz = 0;
    int spiRate = 0;
    int action = 0;
    int lockBits = 0;
    bool progress = false;
    std::vector<unsigned char> image;  // the first 32 KiB as the transaction saw them
};

class FakeDevice : public ProgrammerDevice {
public:
    int ports = 1;
    int lockBits = 0;      // what the chip's lock bits read
    int signature = 0x01;
    unsigned queryResult = 0;     // non-zero: every device query answers this
    unsigned actionResult = SPI_RESULT_OK;
    std::map<std::string, std::vector<unsigned char>> hexFiles;  // path: the first 32 KiB
    bool writeFails = false;
    std::function<void(int page)> whileProgramming;  // the person acts while a page is written

    std::vector<RecordedTransaction> transactions;
    std::vector<RecordedTransaction> actions;  // the transactions that were not device queries
    std::vector<int> flashTests;
    std::vector<std::string> written;
    std::vector<unsigned char> writtenImage;
    std::vector<std::string> progressTexts;
    std::vector<int> programmedPages;
    int traceCloses = 0;

    int PortCount() override { return ports; }
    int PortBase(int index) override { return 0x278 + 0x100 * index; }

    unsigned Transaction(Mem8051* mem, int portBase, float clockHz, int spiRate, int action, int lock,
                         const Progress& progress, std::string* deviceName) override {
        RecordedTransaction t{portBase, clockHz, spiRate, action, lock, static_cast<bool>(progress), {}};
        if (mem) t.image.assign(mem->image, mem->image + 0x8000);
        transactions.push_back(t);
        if (action == SPI_ACTION_READ_LOCK_BITS) return queryResult ? queryResult : static_cast<unsigned>(lockBits);
        if (action == SPI_ACTION_READ_SIGNATURE) {
            if (queryResult) return queryResult;
            if (deviceName) *deviceName = "Norvane KX6500 (Rev 1)";
            return static_cast<unsigned>(signature);
        }
        actions.push_back(t);
        auto report = [&](const std::string& text, int percent) {
            progressTexts.push_back(text);
            return !progress || progress(text.c_str(), percent) != 0;
        };
        if (!report("Checking for device.", 0)) return SPI_RESULT_ABORTED;
        if ((action & SPI_ACTION_PROGRAM) && mem) {
            for (int p = 0, n = 0; p < 256; ++p) {
                if (!mem->pageFlags[p]) continue;
                char text[64];
                std::snprintf(text, sizeof text, "Programming Memory. (Page 0x%02X)", p);
                if (!report(text, 10 + 90 * n++ / mem->usedPageCount)) return SPI_RESULT_ABORTED;
                programmedPages.push_back(p);
                if (whileProgramming) whileProgramming(p);
            }
        }
        if (action == SPI_ACTION_READ && mem) {
            std::vector<unsigned char> bytes(0x8000);
            for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i * 13);
            lptlinkWriteTo8051Mem(mem, bytes.data(), 0, 0x8000);
        }
        return actionResult;
    }

    unsigned FlashTest(int randomPatterns, int, float, int, const Progress& progress) override {
        flashTests.push_back(randomPatterns);
        if (progress && !progress("Test 1/20 (All-zeros): Checking for device.", 0)) return SPI_RESULT_ABORTED;
        return actionResult;
    }

    ImagePtr ReadHexFile(const std::string& path) override {
        const auto it = hexFiles.find(path);
        if (it == hexFiles.end()) return nullptr;
        ImagePtr image = NewImage();
        lptlinkWriteTo8051Mem(image.get(), it->second.data(), 0, static_cast<int>(it->second.size()));
        return image;
    }

    bool WriteHexFile(Mem8051& mem, const std::string& path) override {
        if (writeFails) return false;
        written.push_back(path);
        writtenImage.assign(mem.image, mem.image + 0x8000);
        return true;
    }

    void CloseTrace() override { ++traceCloses; }
};

class MemoryProgrammerSettings : public ProgrammerSettingsStore {
public:
    StoredProgrammerSettings stored;
    int writes = 0;

    StoredProgrammerSettings Load() override { return stored; }
    void StoreHexFile(const std::string& path) override {
        stored.keyExists = true;
        stored.hexFile = path;
        ++writes;
    }
    void StorePort(int index) override {
        stored.keyExists = true;
        stored.port = index;
        ++writes;
    }
    void StoreClock(const std::array<std::uint8_t, 4>& bytes) override {
        stored.keyExists = true;
        stored.clockBytes = std::vector<std::uint8_t>(bytes.begin(), bytes.end());
        ++writes;
    }
};

class FakeFiles : public ProgrammerFiles {
public:
    std::set<std::string> existing;
    std::string currentDirectory;
    std::deque<std::optional<std::string>> choices;
    std::vector<std::pair<bool, std::string>> chooserCalls;  // save, start

    bool Exists(const std::string& path) override { return existing.count(path) != 0; }
    std::string FullPath(const std::string& path) override { return path.front() == '/' ? path : "/work/" + path; }
    void ChangeDirectory(const std::string& folder) override { currentDirectory = folder; }
    std::optional<std::string> Choose(bool save, const std::string& start) override {
        chooserCalls.emplace_back(save, start);
        if (choices.empty()) return std::nullopt;
        auto next = choices.front();
        choices.pop_front();
        return next;
    }
};

// Records every box with the thread it was shown on; questions take scripted answers
// (No and Cancel when the script is empty).
class RecordingBoxes : public DialogMessages {
public:
    struct Box {
        tessary::UserMessage message;
        std::string kind;  // "show", "yes/no", "ok/cancel"
        std::thread::id thread;
    };
    std::vector<Box> boxes;
    std::deque<bool> answers;

    void Show(const tessary::UserMessage& m) override { boxes.push_back({m, "show", std::this_thread::get_id()}); }
    bool Ask(const tessary::UserMessage& m) override {
        boxes.push_back({m, "yes/no", std::this_thread::get_id()});
        return Next();
    }
    bool AskOkCancel(const tessary::UserMessage& m) override {
        boxes.push_back({m, "ok/cancel", std::this_thread::get_id()});
        return Next();
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& b : boxes) texts.push_back(b.message.text);
        return texts;
    }

private:
    bool Next() {
        if (answers.empty()) return false;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
};

}  // namespace lptlink::testing
