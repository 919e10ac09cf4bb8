#include "hardware/DeviceNames.h"

#include <iterator>

char const* GetVoiceDevName() { return "/dev/voice"; }
char const* GetMixerDevName() { return "/dev/mixer"; }
char const* GetDTMFDevName() { return "/dev/dtmf"; }
char const* GetDSPDevName() { return "/dev/dsp"; }
char const* GetRtpDevName() { return "/dev/rtp"; }
char const* GetRtpExtDevName() { return "/dev/rtp_ext"; }
char const* GetModemDevName() { return "/dev/mctl"; }
char const* GetMaintenance() { return "/dev/maintenance"; }
char const* GetSpiTdmDevName() { return "/dev/spi_tdm"; }
char const* GetUsbTdmDevName() { return "/dev/usb_tdm"; }

namespace {

char const* const codecs[] = {"unknown", "g711", "g723", "g729", "tonec", "g711-rtp", "g729-rtp", "g723-rtp", "conf"};

} // namespace

char const* GetCodecAsStr(int codec)
{
    if (codec < 0 || codec >= static_cast<int>(std::size(codecs)))
        return "invalid";
    return codecs[codec];
}
