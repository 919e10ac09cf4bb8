#pragma once
// The board's driver devices named in one place, and codec numbers as text.
// Front ends open their devices through these names; the device layer puts
// them under the server's root directory.

// The TDM cross-connect, clock select and SPI registers (HwMux, BusCtl, spiCtrl).
inline constexpr char halDeviceName[] = "/dev/hal";

char const* GetVoiceDevName();
char const* GetMixerDevName();
char const* GetDTMFDevName();
char const* GetDSPDevName();
char const* GetRtpDevName();
char const* GetRtpExtDevName();
char const* GetModemDevName();
char const* GetMaintenance();
char const* GetSpiTdmDevName();
char const* GetUsbTdmDevName();

// "unknown", "g711", "g723", "g729", "tonec", "g711-rtp", "g729-rtp",
// "g723-rtp", "conf" for codecs 0..8; "invalid" for every other number.
char const* GetCodecAsStr(int codec);
