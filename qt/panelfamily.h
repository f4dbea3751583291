#pragma once

#include <cstdint>
#include <string>

// The e-ink controller's request layouts the program knows, named after the
// size of MXCFB_SEND_UPDATE's struct on those kernels.
enum class UpdateLayout {
    None,         // no refresh calls
    KoboNtx68,    // Kobo Mark 3-6 (NTX kernels 2.6.35 and 3.0.35)
    Nxp72,        // NXP BSP: Kobo Mark 7 and later i.MX, reMarkable 1
    Kindle72,     // Kindle 4 to Oasis 1 (with the histogram waveforms)
    KindleRex80,  // Kindle Paperwhite 4, Kindle 10
    KindleZelda88 // Kindle Oasis 2 and 3
};

// How a full update is waited for (MXCFB_WAIT_FOR_UPDATE_COMPLETE).
enum class WaitLayout {
    None,
    Marker32, // _IOW('F', 0x2F, uint32_t): Kobo Mark 3-6, Kindle 4 to Paperwhite 1
    Marker64  // _IOWR('F', 0x2F, {marker, collision}): the NXP BSP and later Kindles
};

// How touch coordinates reach the screen's upright portrait coordinates.
struct TouchTransform {
    bool swapXY = false;
    bool mirrorX = false; // after the swap
    bool mirrorY = false;
};

// One family of readers: its refresh requests, waveforms, input devices and
// how it sleeps.
struct PanelFamily {
    std::string name; // as $INKMATE_DEVICE names it
    std::string label;
    UpdateLayout layout = UpdateLayout::None;
    WaitLayout wait = WaitLayout::None;
    uint32_t fastWaveform = 1;        // DU
    uint32_t qualityWaveform = 2;     // GC16
    bool forceMonochrome = false;     // EPDC_FLAG_FORCE_MONOCHROME on fast updates
    int32_t fastTemperature = 0x1000; // TEMP_USE_AMBIENT
    std::string keysDevices;          // comma-separated evdev paths
    std::string touchDevices;
    TouchTransform touch;
    // The command that suspends the device and returns on resume ("": none).
    std::string sleepCommand;
};

// What identifies a reader, as read from the frame buffer, uname() and the
// system's own files.
struct DeviceFacts {
    std::string framebufferId; // fb_fix_screeninfo.id
    std::string kernelRelease;
    std::string koboVersion;  // /mnt/onboard/.kobo/version
    std::string kindleSerial; // /proc/usid
    std::string machine;      // /sys/devices/soc0/machine
};

// The family a name denotes ("kobo-mark6", ..., "none"); false for an
// unknown name.
bool panel_family_by_name(const std::string& name, PanelFamily& family);

// The family of a reader; "none" when no driver matches, with the reason in
// why.
PanelFamily detect_panel_family(const DeviceFacts& facts, std::string& why);

// Reads the identification files under sysroot ("" on the reader) and the
// kernel release.
DeviceFacts read_device_facts(const std::string& sysroot, const std::string& framebufferId);

// The names of all families, for messages.
std::string panel_family_names();
