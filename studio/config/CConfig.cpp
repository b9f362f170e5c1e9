#include "studio/config/CConfig.h"

namespace tessary {

void CConfig::Reset() {
    const double number = kx400.deviceNumber;
    const bool kx900 = number == 9;
    const bool kx400Only = number == 4;

    kx400.vcoCurrent = 0;
    kx400.xtal = 12000000;
    kx400.ppm = kx400Only ? 0.00005 : 0.00001;
    kx400.rf = kx400Only ? 433920000 : 869000000;
    kx400.ifStage = 1;
    kx400.sep = 10000;
    kx400.rate = 1200;
    kx400.paClass = kx400Only ? 2 : 3;
    kx400.power = kx400Only ? 10 : 0;
    kx400.mode = 0;
    kx400.rxMode = 0;
    kx400.lock = 0;
    if (kx900 || kx400Only) return;

    kx400.deviceNumber = -1;
    kx6200 = KX6200Block{};
    kx6200.xtal = 14.7456;
    kx6200.ppm = 20;
    kx6200.rfA = 868.2972;
    kx6200.rfB = 868.2972;
    kx6200.sep = 64;
    kx6200.rate = 2.4;
    kx6200.format = 1;
    kx6200.dirB = 1;
    kx6200.settling = 1;
    kx6200.optimal = 1;
    kx6200.lowLo = 1;
    kx6200.lowCurrent = 1;

    kx6300 = KX6300Block{};
    kx6300.xtal = 14.7456;
    kx6300.rfA = 868.3;
    kx6300.rfB = 868.3;
    kx6300.sep = 64;
    kx6300.rate = 2.4;
    kx6300.format = 1;
}

}  // namespace tessary
