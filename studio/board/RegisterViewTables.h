#pragma once
// The register views as data: each view's working-copy entries (address, name,
// initial value), its named controls bound to register bits, and the orders of its
// download, read-back listing and EEP file. One engine (CRegisterViewModel) reads them.

#include <string_view>
#include <vector>

namespace tessary {

enum class Image { Primary, Secondary };

struct ViewEntry {
    int entry;
    int address;            // -1: none (hidden entry, not in download or file)
    std::string_view name;
    int initialSlot;        // -1: the fixed value below
    int fixed;
    bool shown;             // has a hex field
};

enum class FieldKind { Check, List, Decimal };

struct FieldBinding {
    int entry;
    int mask;               // the register bits the control stands for
    std::string_view caption;
    FieldKind kind;
    int min = 0, max = 0;   // decimal fields: the accepted range
    bool hidden = false;
};

struct ReadLine {
    int address;
    std::string_view format;  // one "%02X" for the value; empty: read but not listed
};

struct RegisterViewTable {
    std::string_view device;
    Image image;
    bool boardBus;                 // KX6500 board bus instead of the three-wire bus
    bool upperHex;                 // "%02X" instead of "%02x"
    bool applyOnLeave;             // leaving a hex field applies the edits (KX6200)
    int calEntry, calAddress, mainEntry;
    std::vector<ViewEntry> entries;
    std::vector<FieldBinding> fields;
    std::vector<std::pair<int, int>> downloadPrefix;  // fixed writes before the entries: address, value
    std::vector<int> download;     // entries, in order
    std::vector<int> eep;          // entries, in order
    std::string_view readHeading;
    std::vector<ReadLine> readBack;
    // The hex fields from left to right, where that differs from the entry order.
    std::vector<int> shownOrder;

    // The entries with a hex field, in the order the view shows them.
    std::vector<int> ShownEntries() const;
};

const RegisterViewTable& KX6200ViewTable();
const RegisterViewTable& KX6300ViewTable();
const RegisterViewTable& KX6500ViewTable();

}  // namespace tessary
