#!/usr/bin/env python3
"""tessary-calc --device KX6300 against a model of the KX6300 form of its own.

The model is written from the form's description alone and shares nothing with the
program: the field take-over (parsing, rounding, range checks and their messages), the
sixteen calculation steps, the settings report, the register listing and the register
view's EEP file. It draws random configurations (some of them refused), runs the
program on each and compares slots, components, current, messages and the stored
parameters, and the three files byte for byte.

    kx6300_model.py PATH/TO/tessary-calc [--runs N] [--seed S]
"""

import argparse
import json
import math
import os
import random
import re
import subprocess
import sys
import tempfile

# ---- field take-over ----------------------------------------------------------------

FIELD_LIMIT = 31
NUMBER = re.compile(r"[ \t\n\v\f\r]*[+-]?(?:\d+\.?\d*|\.\d+)(?:[eE][+-]?\d+)?")


def parse_real(text):
    """The number a field holds, or None. Only decimal numbers are drawn, so the
    C library's hexadecimal and infinity forms need no model."""
    s = text[:FIELD_LIMIT]
    pos = 1 if s[:1] in (" ", "\t") else 0
    first = s[pos] if pos < len(s) else ""
    rest = s[pos:]
    m = NUMBER.match(rest)
    value, end = (float(m.group(0)), m.end()) if m else (0.0, 0)
    if value == 0 and first != "0":
        return None
    if rest[end:].lstrip(" \t") != "":
        return None
    return value


def round_decimals(x, n):
    scale = 10.0 ** n
    fraction, whole = math.modf(x * scale)
    if fraction == 0:
        return x
    if x >= 0:
        return (whole + 1 if fraction >= 0.5 else whole) / scale
    return (whole - 1 if fraction <= -0.5 else whole) / scale


ILLEGAL = "An illegal value has been entered.\n"
PARSE = {
    "xtal": "The crystal frequency is not a floating point number",
    "rf": "The RF frequency is not a floating point number",
    "sep": "The frequency separation is not a floating point number",
    "rate": "The data rate is not a floating point number",
    "power": "The RF output power is not a floating point number",
}


class Refused(Exception):
    pass


def number(texts, field, kind, decimals):
    v = parse_real(texts[field])
    if v is None:
        raise Refused(PARSE[kind])
    return v if decimals is None else round_decimals(v, decimals)


def take_over(texts, choices):
    """The form's values from its fields, in the form's order; Refused on the first
    field that fails."""
    p = dict(choices)  # lists and radio buttons are taken as they are
    p["power"] = number(texts, "power", "power", 0)
    if not -20 <= p["power"] <= 12:
        raise Refused("Please enter a number between -20 and 12.")
    p["xtal"] = number(texts, "xtal", "xtal", 6)
    if not (3 <= p["xtal"] <= 4 or 6 <= p["xtal"] <= 8 or 9 <= p["xtal"] <= 16):
        raise Refused(ILLEGAL + "The value must be between:\n\n\t3 - 4  MHz\n\t6 - 8  MHz\n\t9 - 16 MHz")
    p["rf_a"] = number(texts, "rf_a", "rf", None)
    p["rf_b"] = number(texts, "rf_b", "rf", None)
    for f in ("rf_a", "rf_b"):
        if not 300 <= p[f] <= 1000:
            raise Refused(ILLEGAL + "The value must be between 300.000 and 1000.000 MHz.")
    p["sep"] = number(texts, "sep", "sep", 0)
    if not 0 <= p["sep"] <= 200:
        raise Refused(ILLEGAL + "The value must be between 0 and 200 kHz.")
    p["rate"] = number(texts, "rate", "rate", 1)
    if not 0.6 <= p["rate"] <= 76.8:
        raise Refused(ILLEGAL + "The value must be between 0.6 and 76.8 kbaud.")
    return p


def shown(p):
    """The texts the form shows for its values."""
    return {"xtal": "%2.6f" % p["xtal"], "rf_a": "%3.6f" % p["rf_a"], "rf_b": "%3.6f" % p["rf_b"],
            "sep": "%.0f" % p["sep"], "rate": "%1.1f" % p["rate"], "power": "%.0f" % p["power"]}


# ---- the calculation ----------------------------------------------------------------

RECOMMENDED = (3.6864, 7.3728, 11.0592, 14.7456)
PA_LOW = [0x01, 0x01, 0x01, 0x02, 0x02, 0x02, 0x02, 0x03, 0x03, 0x04, 0x04, 0x05, 0x05, 0x06, 0x07, 0x08, 0x09,
          0x0A, 0x0C, 0x0D, 0x0F, 0x40, 0x50, 0x50, 0x60, 0x70, 0x80, 0x90, 0xA0, 0xC0, 0xE0, 0xF0, 0xFF]
PA_HIGH = [0x02, 0x02, 0x02, 0x03, 0x03, 0x04, 0x04, 0x05, 0x05, 0x06, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0D,
           0x0E, 0x0F, 0x40, 0x50, 0x60, 0x70, 0x80, 0x90, 0xA0, 0xC0, 0xE0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF]
TX_LOW = [5.5, 5.5, 5.5, 5.7, 5.7, 5.7, 5.7, 6.0, 6.0, 6.2, 6.2, 6.5, 6.5, 6.8, 7.0, 7.3, 7.5, 7.8, 8.3, 8.5, 9.1,
          10.5, 11.5, 11.5, 12.4, 13.3, 14.2, 15.1, 15.9, 17.6, 19.2, 20.0, 23.3]
TX_HIGH = [8.0, 8.0, 8.0, 8.3, 8.3, 8.5, 8.5, 8.7, 8.7, 8.9, 8.9, 9.1, 9.4, 9.6, 9.8, 10.0, 10.4, 10.6, 10.9, 13.4,
           14.2, 15.0, 15.7, 16.3, 17.0, 17.7, 19.1, 20.0, 24.9, 24.9, 24.9, 24.9, 24.9]
MSG_B = "Synthesiser setting is out of limit\nusing same reference frequency"
MSG_FSEP = "The frequency separation is to large for this combination\nof crystal frequency and RF frequency."
MSG_POWER = "Max output power is 8 dBm for this frequency choice"
MSG_XTAL = "Xtal most be between 3-4, 6-8, 9-12 or 12-16 MHz"


def R(x):
    return math.trunc(x + 0.5)


def main_value(mode, active):
    main = 0x01
    if mode != 0:
        main |= 0x10
    if active == 1:
        main |= 0x40
    if mode in (1, 2, 3):
        main |= 0x08
    if mode == 1:
        main |= 0x04
    if mode in (1, 2):
        main |= 0x02
    return main


def calculate(p, slots, current):
    """One ApplySettings after the take-over: the new slots, components, current and
    messages; p's rate is snapped in place."""
    slots = list(slots)
    messages = []
    # 1. the data-rate snap
    if p["format"] in (0, 1) and p["xtal"] in RECOMMENDED and p["rate"] not in (0.6, 1.2, 2.4, 4.8, 9.6, 19.2):
        r = p["rate"]
        for limit, snapped in ((0.9, 0.6), (1.8, 1.2), (3.6, 2.4), (7.2, 4.8), (14.4, 9.6), (24, 19.2), (57.6, 38.4)):
            if r < limit:
                p["rate"] = snapped
                break
        else:
            p["rate"] = 76.8
    xtal, sep = p["xtal"], p["sep"]
    f_act = p["rf_b"] if p["active"] == 1 else p["rf_a"]
    # 2. MAIN
    slots[0] = main_value(p["mode"], p["active"])
    # 3. word A and the divider
    f_a = p["rf_a"] * 10 ** 6 - sep * 1000 * 0.5
    d = 1
    while True:
        d += 1
        f_ref = xtal * 10 ** 6 / d
        word = f_a * 16384 / f_ref - 8192
        if f_ref <= 2457600 and word > 4194304:
            break
    fa = R(word)
    slots[1:4] = [(fa >> 16) & 0xFF, (fa >> 8) & 0xFF, fa & 0xFF]
    # 4. word B with the same divider
    f_b = p["rf_b"] * 10 ** 6 - sep * 1000 * 0.5
    word_b = f_b * 16384 / (xtal * 10 ** 6 / d) - 8192
    if word_b < 4194304 or word_b > 16751615:
        messages.append(MSG_B)
    else:
        fb = R(word_b)
        slots[4:7] = [(fb >> 16) & 0xFF, (fb >> 8) & 0xFF, fb & 0xFF]
    # 5. FSEP
    x = sep * 16384000 / (xtal * 10 ** 6 / d)
    if x > 2047:
        messages.append(MSG_FSEP)
        x = 2047
    fsep = R(x)
    slots[7:9] = [(fsep >> 8) & 0xFF, fsep & 0xFF]
    # 6, 7
    slots[9] = 0xF3 if f_act > 500 else 0x81
    slots[10] = 0x01 if p["xosc"] == 1 else 0x00
    # 8. PA_POW
    power = math.trunc(p["power"])
    if -20 <= power <= 12:
        if f_act < 500:
            slots[11] = PA_LOW[power + 20]
        else:
            slots[11] = PA_HIGH[power + 20]
            if power >= 9:
                messages.append(MSG_POWER)
    # 9 to 11
    slots[12] = (math.trunc(d) & 0x0F) << 3
    slots[13] = [0x10, 0x20, 0x80, 0x00][p["lock"]]
    slots[14] = 0x26
    # 12. MODEM0
    rate = p["rate"]
    baud = 7
    for code, limit in enumerate((0.9, 1.8, 3.6, 7.2, 14.4, 28.8, 57.6)):
        if rate < limit:
            baud = code
            break
    if 3 <= xtal <= 4:
        xosc_freq = 0
    elif 6 <= xtal <= 8:
        xosc_freq = 1
    elif 9 <= xtal <= 12:
        xosc_freq = 2
    elif xtal >= 12:
        xosc_freq = 3
    else:
        xosc_freq = 0
        messages.append(MSG_XTAL)
    slots[15] = baud << 4 | p["format"] << 2 | xosc_freq
    # 13. FSCTRL
    shape = p["shape"]
    slots[16] = 0x01 | (0x0C if shape in (2, 3) else 0) | (0x02 if shape in (1, 3) else 0)
    # 14
    slots[25], slots[28] = (0x04, 0x3F) if rate > 19.2 else (0x00, 0x25)
    # 15. components
    components = ["TBD"] * 4
    for low, high, values in ((860, 930, (5.6, 2.5, 4.7, 5.6)), (390, 440, (33.0, 6.2, 12.0, 6.8)),
                              (300, 330, (56.0, 20.0, 5.6, 8.2))):
        if low <= f_act <= high:
            components = ["%2.1f" % v for v in values]
            break
    # 16. current
    mode = p["mode"]
    upper = f_act >= 500
    if mode == 1:
        current = 0.0002
    elif mode == 2:
        current = 0.03 if xtal <= 8 else (0.08 if xtal <= 14 else 0.105)
    elif mode == 3:
        current = 0.4
    elif mode == 4:
        current = 5.0 if upper else 4.0
    elif -20 <= power <= 12:
        current = (TX_HIGH if upper else TX_LOW)[power + 20]
    return slots, dict(zip(("L1", "L2", "C1", "C2"), components)), current, messages


# ---- the files ----------------------------------------------------------------------

def settings_report(p, components):
    out = "Device: KX6300\n\nSystem parameters:\n"
    out += "X-tal frequency: %.6f MHz\t" % p["xtal"] + ("External\n" if p["xosc"] == 1 else "Internal\n")
    out += "RF frequency A: %3.6f MHz\t" % p["rf_a"] + ("Inactive\n" if p["active"] == 1 else "Active  \n")
    out += "RF frequency B: %3.6f MHz\t" % p["rf_b"] + ("Active  \n" if p["active"] == 1 else "Inactive\n")
    out += "Frequency separation: %2.0f kHz\n" % p["sep"] + "Data rate: %1.1f kBaud\n" % p["rate"]
    out += ["Data Format: NRZ\n", "Data Format: Manchester\n", "Data Format: UART\n"][p["format"]]
    out += "RF output power: %.0f dBm\n" % p["power"]
    out += ["LOCK indicator: Continuous\n", "LOCK indicator: One-shot\n", "LOCK indicator: External PA control\n",
            "LOCK indicator: Disable\n"][p["lock"]]
    out += ["Mode: Tx\n", "Mode: PD\n", "Mode: XOSC Core only\n", "Mode: XOSC Core & Bias\n",
            "Mode: XOSC Core, Bias & Synth\n"][p["mode"]]
    out += "\nComponent values, VCO inductor:\n" + "L1 = %s nH\n" % components["L1"]
    out += "\nComponent values, Match\n"
    out += "L2 = %s nH\n" % components["L2"] + "C1 = %s pF\n" % components["C1"] + "C2 = %s pF\n" % components["C2"]
    return out


def register_listing(p, slots):
    out = "\nRegister:\tData:\tmode:\n"
    for mode, name in enumerate(("TX", "PD", "XOSC Core Only", "XOSC Core & Bias", "XOSC Core, Bias & Synth")):
        out += "%02X\t\t%02X\t%s\n" % (0, main_value(mode, p["active"]), name)
    for slot in range(1, 15):
        out += "%02X\t\t%02X\n" % (slot, slots[slot])
    for address, slot in ((0x11, 15), (0x13, 16), (0x1C, 25), (0x42, 28)):
        out += "%02X\t\t%02X\n" % (address, slots[slot])
    return out


def eep_file(slots):
    lines = [(a, slots[a]) for a in range(15)] + [(0x11, slots[15]), (0x13, slots[16]), (0x1C, slots[25])]
    lines += [(0x40, 0x10), (0x41, 0x08), (0x42, slots[28]), (0x43, 0x04), (0x44, 0), (0x45, 0), (0x46, 0)]
    return "".join("%02X:%02X\n" % line for line in lines)


def crlf(text):
    return text.replace("\n", "\r\n").encode()


# ---- random configurations ----------------------------------------------------------

DEFAULTS = {"xtal": 14.7456, "rf_a": 868.3, "rf_b": 868.3, "sep": 64.0, "rate": 2.4, "power": 0.0,
            "format": 1, "shape": 0, "lock": 0, "mode": 0, "xosc": 0, "active": 0}
CHOICES = {"format": 3, "shape": 4, "lock": 4, "mode": 5, "xosc": 2, "active": 2}


def draw(rng):
    """A few fields typed in: mostly good values and edges, now and then a refused one."""
    def decimal(lo, hi, places):
        return "%.*f" % (places, rng.uniform(lo, hi))

    good = {
        "xtal": lambda: rng.choice(["3.686400", "7.3728", "11.0592", "14.745600", "12", "12.000001", "3", "4", "6",
                                    "8", "9", "16", " 9.8304", "14.74560049", decimal(3, 4, 6), decimal(6, 8, 4),
                                    decimal(9, 16, 6)]),
        "rf_a": lambda: rng.choice([decimal(300, 1000, 6), decimal(300, 1000, 3), decimal(855, 935, 4),
                                    decimal(385, 445, 2), decimal(295, 335, 3), "500", "300", "1000", "860", "930",
                                    "330", "390", "440", "868.3 "]),
        "sep": lambda: rng.choice([decimal(0, 200, 0), decimal(0, 200, 1), "12.5", "0", "200", "190", "64"]),
        "rate": lambda: rng.choice(["0.6", "1.2", "2.4", "4.8", "9.6", "19.2", "38.4", "76.8", "2.45",
                                    decimal(0.6, 76.8, 2), decimal(0.6, 30, 1)]),
        "power": lambda: rng.choice([str(rng.randint(-20, 12)), str(rng.randint(-20, 12)), "12", "9", "8", "-0.5",
                                     "5.9", "-20.4"]),
    }
    bad = {"xtal": ["5", "18.432", "abc", "14.7456 MHz", ""], "rf_a": ["299.999", "1000.5", "868,3", "-0"],
           "sep": ["250", "wide", "-1"], "rate": ["0.5", "80", "fast"], "power": ["13", "-21", "-0", "max"]}
    good["rf_b"], bad["rf_b"] = good["rf_a"], bad["rf_a"]
    sets = {}
    for field in rng.sample(list(good) + list(CHOICES), rng.randint(1, 9)):
        if field in CHOICES:
            sets[field] = str(rng.randrange(CHOICES[field]))
        elif rng.random() < 0.05:
            sets[field] = rng.choice(bad[field])
        else:
            sets[field] = good[field]()
    if rng.random() < 0.03:  # both RF fields are parsed before either is checked
        sets["rf_a"], sets["rf_b"] = "1200", "x"
    # Now and then a crystal and a frequency pair that take word B out of range.
    if rng.random() < 0.1:
        sets.update({"xtal": "3.6864", "rf_a": decimal(300, 330, 3), "rf_b": decimal(900, 1000, 3)})
    return sets


def expected(sets):
    """What the program should do with the fields typed in after the first display."""
    # The first display takes over the defaults as the form shows them.
    first = take_over(shown(DEFAULTS), {k: DEFAULTS[k] for k in CHOICES})
    slots, _, current, _ = calculate(first, [0] * 70, 0.0)
    texts = shown(first)
    choices = {k: first[k] for k in CHOICES}
    for field, text in sets.items():
        if field in CHOICES:
            choices[field] = int(text)
        else:
            texts[field] = text
    p = take_over(texts, choices)
    slots, components, current, messages = calculate(p, slots, current)
    return p, slots, components, current, messages


def check(program, sets, work):
    args = [program, "--device", "KX6300", "--json"]
    for field, text in sets.items():
        args += ["--set", "%s=%s" % (field, text)]
    files = {name: os.path.join(work, name) for name in ("settings.txt", "registers.txt", "view.eep")}
    for path in files.values():
        if os.path.exists(path):
            os.remove(path)
    args += ["--report", "settings", files["settings.txt"], "--report", "registers", files["registers.txt"],
             "--eep-save", files["view.eep"]]
    run = subprocess.run(args, capture_output=True, text=True)
    problems = []

    def differs(what, got, want):
        if got != want:
            problems.append("%s: program %r, model %r" % (what, got, want))

    try:
        p, slots, components, current, messages = expected(sets)
    except Refused as refusal:
        differs("exit status", run.returncode, 2)
        differs("standard output", run.stdout, "")
        differs("standard error", run.stderr, str(refusal) + "\n")
        for name, path in files.items():
            differs(name + " written", os.path.exists(path), False)
        return problems
    differs("exit status", run.returncode, 0)
    if run.returncode != 0:
        return problems + [run.stderr]
    j = json.loads(run.stdout)
    differs("device", j["device"], "KX6300")
    differs("slots", j["slots"], slots)
    differs("components", j["components"], components)
    differs("current", j["current_mA"], current)
    differs("messages", j["messages"], messages)
    differs("config", j["config"], {k: p[k] for k in DEFAULTS})
    differs("config order", list(j["config"]), list(DEFAULTS))
    with open(files["settings.txt"], "rb") as f:
        differs("settings report", f.read(), crlf(settings_report(p, components)))
    with open(files["registers.txt"], "rb") as f:
        differs("register listing", f.read(), crlf(register_listing(p, slots)))
    with open(files["view.eep"], "rb") as f:
        differs("EEP file", f.read(), crlf(eep_file(slots)))
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("program")
    parser.add_argument("--runs", type=int, default=600)
    parser.add_argument("--seed", type=int, default=6300)
    options = parser.parse_args()
    rng = random.Random(options.seed)
    failures = refused = 0
    seen = {}
    with tempfile.TemporaryDirectory(prefix="kx6300_model_") as work:
        for run in range(options.runs):
            sets = draw(rng)
            try:
                for message in expected(sets)[4]:
                    seen[message] = seen.get(message, 0) + 1
            except Refused:
                refused += 1
            problems = check(options.program, sets, work)
            if problems:
                failures += 1
                print("run %d, --set %s:" % (run, " ".join("%s=%r" % kv for kv in sets.items())))
                for problem in problems:
                    print("   ", problem)
    print("%d configurations (%d refused), %d differ from the model" % (options.runs, refused, failures))
    for message, count in sorted(seen.items()):
        print("  %4d with the message %r" % (count, message.split("\n")[0]))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
