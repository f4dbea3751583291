#include "qt/panelfamily.h"

#include <sys/utsname.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <vector>

namespace {

PanelFamily kobo_mark6()
{
    PanelFamily f;
    f.name = "kobo-mark6";
    f.label = "Kobo Mark 3-6";
    f.layout = UpdateLayout::KoboNtx68;
    f.wait = WaitLayout::Marker32;
    f.forceMonochrome = true;
    f.keysDevices = "/dev/input/event0";
    f.touchDevices = "/dev/input/event1";
    f.touch = {true, true, false};
    // As the Kobo system sleeps: announce it, let the drivers settle, sleep.
    f.sleepCommand = "echo 1 > /sys/power/state-extended; sleep 2; sync; "
                     "echo mem > /sys/power/state; echo 0 > /sys/power/state-extended";
    return f;
}

PanelFamily kobo_mark7()
{
    PanelFamily f = kobo_mark6();
    f.name = "kobo-mark7";
    f.label = "Kobo Mark 7 (NXP)";
    f.layout = UpdateLayout::Nxp72;
    f.wait = WaitLayout::Marker64;
    return f;
}

PanelFamily nxp()
{
    PanelFamily f;
    f.name = "nxp";
    f.label = "i.MX EPDC (NXP BSP)";
    f.layout = UpdateLayout::Nxp72;
    f.wait = WaitLayout::Marker64;
    f.forceMonochrome = true;
    f.keysDevices = "/dev/input/event0";
    f.touchDevices = "/dev/input/event1";
    return f;
}

PanelFamily remarkable1()
{
    PanelFamily f;
    f.name = "remarkable1";
    f.label = "reMarkable 1";
    f.layout = UpdateLayout::Nxp72;
    f.wait = WaitLayout::Marker64;
    f.fastTemperature = 24; // TEMP_USE_REMARKABLE
    f.keysDevices = "/dev/input/event2";
    f.touchDevices = "/dev/input/event1";
    f.touch = {false, true, true};
    return f;
}

PanelFamily kindle(const std::string& name, const std::string& label, UpdateLayout layout,
                   WaitLayout wait)
{
    PanelFamily f;
    f.name = name;
    f.label = label;
    f.layout = layout;
    f.wait = wait;
    f.forceMonochrome = true;
    f.keysDevices = "/dev/input/event0";
    f.touchDevices = "/dev/input/event1";
    return f;
}

std::vector<PanelFamily> families()
{
    PanelFamily none;
    none.name = "none";
    none.label = "no panel driver";
    return {kobo_mark6(),
            kobo_mark7(),
            nxp(),
            remarkable1(),
            kindle("kindle-pw1", "Kindle 4, Touch, Paperwhite 1", UpdateLayout::Kindle72,
                   WaitLayout::Marker32),
            kindle("kindle-pw2", "Kindle Paperwhite 2-3, Voyage, Oasis 1, Kindle 7-8",
                   UpdateLayout::Kindle72, WaitLayout::Marker64),
            kindle("kindle-pw4", "Kindle Paperwhite 4, Kindle 10", UpdateLayout::KindleRex80,
                   WaitLayout::Marker64),
            kindle("kindle-oasis2", "Kindle Oasis 2-3", UpdateLayout::KindleZelda88,
                   WaitLayout::Marker64),
            none};
}

bool in(const std::string& code, std::initializer_list<const char*> codes)
{
    return std::any_of(codes.begin(), codes.end(), [&](const char* c) { return code == c; });
}

PanelFamily named(const char* name)
{
    PanelFamily family;
    panel_family_by_name(name, family);
    return family;
}

// Kobo model numbers, the last three digits of the version tag.
PanelFamily kobo_family(const std::string& version, std::string& why)
{
    std::string tag = version;
    while (!tag.empty() && (tag.back() == '\n' || tag.back() == '\r' || tag.back() == ' '))
        tag.pop_back();
    const std::string code = tag.size() >= 3 ? tag.substr(tag.size() - 3) : tag;
    const int id = atoi(code.c_str());
    static const int mark6[] = {300, 310, 320, 330, 340, 350, 360,
                                370, 371, 372, 373, 374, 375, 381};
    static const int mark7[] = {376, 377, 378, 379, 380, 382, 384, 386, 388};
    if (std::find(std::begin(mark6), std::end(mark6), id) != std::end(mark6))
        return kobo_mark6();
    if (std::find(std::begin(mark7), std::end(mark7), id) != std::end(mark7))
        return kobo_mark7();
    why = "Kobo model " + code + " has no panel driver here";
    return named("none");
}

// Kindle generations from the serial number's device code.
PanelFamily kindle_family(const std::string& serial, std::string& why)
{
    if (!serial.empty() && (serial[0] == 'B' || serial[0] == '9') && serial.size() >= 4) {
        const std::string code = serial.substr(2, 2);
        if (in(code, {"0E", "23", "0F", "11", "10", "12", "24", "1B", "1D", "1F", "1C", "20"}))
            return named("kindle-pw1");
        if (in(code, {"D4", "5A", "D5", "D6", "D7", "D8", "F2", "17", "60", "F4", "F9",
                      "62", "61", "5F", "C6", "DD", "13", "54", "2A", "4F", "52", "53"}))
            return named("kindle-pw2");
        why = "Kindle device code " + code + " has no panel driver here";
        return named("none");
    }
    const std::string code = serial.size() >= 6 ? serial.substr(3, 3) : serial;
    if (in(code,
           {"0G1", "0G2", "0G4", "0G5", "0G6", "0G7", "0KB", "0KC", "0KD", "0KE", "0KF", "0KG",
            "0LK", "0LL", "0GC", "0GD", "0GR", "0GS", "0GT", "0GU", "0DU", "0K9", "0KA"}))
        return named("kindle-pw2");
    if (in(code, {"0PP", "0T1", "0T2", "0T3", "0T4", "0T5", "0T6", "0T7", "0TJ",
                  "0TK", "0TL", "0TM", "0TN", "102", "103", "16Q", "16R", "16S",
                  "16T", "16U", "16V", "10L", "0WF", "0WG", "0WH", "0WJ", "0VB"}))
        return named("kindle-pw4");
    if (in(code, {"0LM", "0LN", "0LP", "0LQ", "0P1", "0P2", "0P6", "0P7", "0P8", "0S1", "0S2",
                  "0S3", "0S4", "0S7", "0SA", "11L", "0WQ", "0WP", "0WN", "0WM", "0WL"}))
        return named("kindle-oasis2");
    why = "Kindle device code " + code + " has no panel driver here";
    return named("none");
}

std::string first_line(const std::string& path)
{
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

} // namespace

bool panel_family_by_name(const std::string& name, PanelFamily& family)
{
    for (const PanelFamily& f : families()) {
        if (f.name == name) {
            family = f;
            return true;
        }
    }
    return false;
}

std::string panel_family_names()
{
    std::string names;
    for (const PanelFamily& f : families())
        names += (names.empty() ? "" : ", ") + f.name;
    return names;
}

PanelFamily detect_panel_family(const DeviceFacts& facts, std::string& why)
{
    why.clear();
    if (facts.machine.compare(0, 10, "reMarkable") == 0) {
        if (facts.machine.find("2.0") == std::string::npos)
            return remarkable1();
        why = facts.machine + " has no e-ink controller the program can drive";
        return named("none");
    }
    if (!facts.koboVersion.empty())
        return kobo_family(facts.koboVersion, why);
    if (!facts.kindleSerial.empty())
        return kindle_family(facts.kindleSerial, why);
    if (facts.framebufferId.compare(0, 11, "mxc_epdc_fb") == 0) {
        // The NTX kernels of the older Kobo readers take only their own request.
        const std::string& k = facts.kernelRelease;
        if (k.compare(0, 6, "2.6.35") == 0 || k.compare(0, 6, "3.0.35") == 0)
            return kobo_mark6();
        return nxp();
    }
    why = "frame buffer \"" + facts.framebufferId + "\" is no e-ink controller the program knows";
    return named("none");
}

DeviceFacts read_device_facts(const std::string& sysroot, const std::string& framebufferId)
{
    DeviceFacts facts;
    facts.framebufferId = framebufferId;
    utsname name;
    if (uname(&name) == 0)
        facts.kernelRelease = name.release;
    facts.koboVersion = first_line(sysroot + "/mnt/onboard/.kobo/version");
    facts.kindleSerial = first_line(sysroot + "/proc/usid");
    facts.machine = first_line(sysroot + "/sys/devices/soc0/machine");
    return facts;
}
