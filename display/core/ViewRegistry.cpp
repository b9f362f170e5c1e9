#include "display/core/ViewRegistry.h"

#include "display/core/CADCDlg.h"
#include "display/core/CDESDlg.h"
#include "display/core/CFlashDlg.h"
#include "display/core/CInterruptsDlg.h"
#include "display/core/CPortDlgs.h"
#include "display/core/CPowerClkDlg.h"
#include "display/core/CRadioModemDlg.h"
#include "display/core/CSPIDlg.h"
#include "display/core/CSerialDlg.h"
#include "display/core/CTimersDlg.h"
#include "host/kx6500_host.h"

namespace kx6500disp {

namespace {

template <typename View>
std::unique_ptr<PeripheralView> Make(SfrAccess& sfr, Notifier& notifier, Precheck precheck) {
    return std::make_unique<View>(sfr, notifier, precheck);
}

enum ViewIndex { kAdc, kDes, kFlash, kInterrupts, kPorts, kPort0, kPort1, kPort2, kPort3, kPower, kRadio, kSerial0,
                 kSerial1, kSpi, kTimers };

}  // namespace

const std::array<ViewInfo, kViewCount>& Views() {
    using enum Precheck;
    static const std::array<ViewInfo, kViewCount> views = {{
        {"adc", "CADCDlg", "A/D Converter", 1009, Decimal, false, Make<CADCDlg>},
        {"des", "CDESDlg", "DES Encryption/Decryption", 1011, Hex, false, Make<CDESDlg>},
        {"flash", "CFlashDlg", "Flash Memory", 1027, Hex, false, Make<CFlashDlg>},
        {"interrupts", "CInterruptsDlg", "Interrupts", 1008, None, false, Make<CInterruptsDlg>},
        {"ports", "CPortsDlg", "Ports", 1002, None, false, Make<CPortsDlg>},
        {"port0", "CPort0Dlg", "Port 0 [3:0]", 1020, None, false, Make<CPort0Dlg>},
        {"port1", "CPort1Dlg", "Port 1 [7:0]", 1021, None, false, Make<CPort1Dlg>},
        {"port2", "CPort2Dlg", "Port 2 [7:0]", 1019, None, false, Make<CPort2Dlg>},
        {"port3", "CPort3Dlg", "Port 3 [5:0]", 1022, None, false, Make<CPort3Dlg>},
        {"power", "CPowerClkDlg", "Power & Clock Control", 1010, None, false, Make<CPowerClkDlg>},
        {"radio", "CRadioModemDlg", "Radio & Modem", 1014, None, true, Make<CRadioModemDlg>},
        {"serial0", "CSerial0Dlg", "Serial Port 0", 1024, Hex, true, Make<CSerial0Dlg>},
        {"serial1", "CSerial1Dlg", "Serial Port 1 (DEBUGGER)", 1023, Hex, false, Make<CSerial1Dlg>},
        {"spi", "CSPIDlg", "SPI Interface", 1025, Hex, false, Make<CSPIDlg>},
        {"timers", "CTimersDlg", "Timers", 1000, Decimal, false, Make<CTimersDlg>},
    }};
    return views;
}

const std::vector<MenuLine>& MenuLayout() {
    static const std::vector<MenuLine> menu = {
        {MENU_ITEM, "&A/D Converter", kAdc},
        {MENU_ITEM, "&DES Encryption/Decryption", kDes},
        {MENU_ITEM, "&Flash", kFlash},
        {MENU_ITEM, "I&nterrupts", kInterrupts},
        {MENU_SUBMENU, "&Ports", -1},
        {MENU_ITEM, "A&ll Ports", kPorts},
        {MENU_ITEM, "Port &0", kPort0},
        {MENU_ITEM, "Port &1", kPort1},
        {MENU_ITEM, "Port &2", kPort2},
        {MENU_ITEM, "Port &3", kPort3},
        {MENU_SUBMENU_END, nullptr, -1},
        {MENU_ITEM, "Power && &Clock Control", kPower},
        {MENU_ITEM, "&Radio && Modem", kRadio},
        {MENU_SUBMENU, "&Serial Interfaces", -1},
        {MENU_ITEM, "Serial Port &0", kSerial0},
        {MENU_ITEM, "Serial Port &1", kSerial1},
        {MENU_ITEM, "SP&I", kSpi},
        {MENU_SUBMENU_END, nullptr, -1},
        {MENU_ITEM, "&Timers", kTimers},
        {MENU_END, nullptr, -1},
    };
    return menu;
}

}  // namespace kx6500disp
