#include "hardware/RtpRecords.h"

#include <cstdint>
#include <ostream>

namespace {

char const indent[] = "  ";

template <class Item>
void line(std::ostream& out, char const* label, Item value)
{
    out << indent << label << value << '\n';
}

int signed16(std::uint16_t v)
{
    return static_cast<std::int16_t>(v);
}

int signed32(std::uint32_t v)
{
    return static_cast<std::int32_t>(v);
}

template <class Record>
void putSession(std::ostream& out, char const* name, Record const& params)
{
    line(out, name, "");
    line(out, "{", "");
    line(out, " fd_rtp = ", signed32(params.get32(0)));
    line(out, " pid_rtp = ", signed32(params.get32(4)));
    line(out, "}", "");
}

} // namespace

std::ostream& operator<<(std::ostream& out, rtp_connection_params const& params)
{
    line(out, "rtp_connection_params", "");
    line(out, "{", "");
    line(out, " packet_factor = ", params.get16(18));
    line(out, " rx_pt = ", signed16(params.get16(14)));
    line(out, " tx_pt = ", signed16(params.get16(16)));
    line(out, " ssrc = ", params.get32(24));
    line(out, "}", "");
    return out;
}

std::ostream& operator<<(std::ostream& out, rtp_attach_session_params const& params)
{
    putSession(out, "rtp_attach_session_params", params);
    return out;
}

std::ostream& operator<<(std::ostream& out, rtp_ext_attach_session_params const& params)
{
    putSession(out, "rtp_ext_attach_session_params", params);
    return out;
}

std::ostream& operator<<(std::ostream& out, rtp_ext_init_params const& params)
{
    line(out, "rtp_ext_init_params", "");
    line(out, "{", "");
    line(out, " etype = ", signed16(params.get16(0)));
    line(out, "}", "");
    return out;
}

std::ostream& operator<<(std::ostream& out, rtp_channel_info const& info)
{
    return out << "rtp_channel_info {" << " tdm=" << signed32(info.get32(0)) << " dev_no=" << signed32(info.get32(4))
               << " chn=" << signed32(info.get32(8)) << " }";
}
