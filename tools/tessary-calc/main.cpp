#include <CLI/CLI.hpp>
#include <iostream>

#include "tools/tessary-calc/CalcRun.h"

int main(int argc, char** argv) {
    tessary::CalcOptions options;
    CLI::App app{"tessary-calc: the Tessary Studio configuration engine on the command line.\n"
                 "Chooses a device (or opens a .tsy document), types the given values into the device's form,\n"
                 "presses Enter, and prints the registers, components and current consumption."};
    app.add_option("--device", options.device, "KX400, KX900, KX6200, KX6300 or KX6500 (any case)")
        ->default_str("KX6200");
    app.add_option("--open", options.open, "load a .tsy document instead of choosing the device afresh");
    app.add_option("--set", options.sets, "FIELD=TEXT typed into a field of the form (repeatable); lists, radio "
                                          "groups and check boxes take an index");
    app.add_flag("--json", options.json, "print the result as one JSON object");
    app.add_option("--save", options.save, "write the document to FILE.tsy");
    app.add_option("--report", options.reports, "write the settings report or the register listing (repeatable)")
        ->type_name("settings|registers FILE");
    app.add_option("--eep-save", options.eepSave, "write the EEP register file of a fresh register view");
    app.add_option("--eep-load", options.eepLoad,
                   "load an EEP register file into a fresh register view; --download, --chip-reset, --calibrate and "
                   "--read-back then act as that view's buttons");
    app.add_flag("--download", options.download, "write the registers to the board (the form's Update Device)");
    app.add_flag("--chip-reset", options.chipReset, "pulse the chip's reset (the form's Reset button)");
    app.add_flag("--calibrate", options.calibrate, "calibrate the synthesiser (the form's Calibrate button)");
    app.add_flag("--read-back", options.readBack, "read back every register the register view reads");
    app.add_flag("--lock", options.lock, "poll the PLL lock state once, as the main window does");
    app.add_option("--demo-board", options.demoBoard,
                   "a control of the demonstration-board programmer (repeatable, run in the order given after "
                   "everything else): default, load-eeprom=FILE, save-eeprom=FILE, read-eeprom, program-eeprom, "
                   "load-flash=FILE, program-flash")
        ->type_name("OP");
    app.footer("Exit status: 0 success, 1 usage or file errors (also options the device does not have), 2 a value "
               "the form refused or a calculation step that failed, 3 a download stopped by the direction check, 4 no "
               "demonstration board or not an ATtiny12 on it.\n"
               "Board operations use liblptlink: LPTLINK_DRIVER=sim selects the virtual port.");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return code == 0 ? 0 : tessary::kExitUsage;
    }
    return tessary::RunCalc(options, std::cout, std::cerr);
}
