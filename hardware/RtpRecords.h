#pragma once
// Request records of the RTP and RTP-extension drivers, as big-endian byte
// records, and their text forms for logs. Each multi-line form writes one
// line per item, indented by two blanks; rtp_channel_info is one bare line.
#include "hardware/device/BigEndian.h"

#include <iosfwd>

// rx_pt (16 bits at 14), tx_pt (16 at 16), packet_factor (unsigned 16 at 18),
// ssrc (unsigned 32 at 24).
struct rtp_connection_params : Board::Record<28> {};
// fd_rtp (32 bits at 0), pid_rtp (32 at 4).
struct rtp_attach_session_params : Board::Record<8> {};
struct rtp_ext_attach_session_params : Board::Record<8> {};
// etype (16 bits at 0).
struct rtp_ext_init_params : Board::Record<4> {};
// tdm, dev_no, chn (signed 32 bits at 0, 4, 8).
struct rtp_channel_info : Board::Record<12> {};

std::ostream& operator<<(std::ostream& out, rtp_connection_params const& params);
std::ostream& operator<<(std::ostream& out, rtp_attach_session_params const& params);
std::ostream& operator<<(std::ostream& out, rtp_ext_attach_session_params const& params);
std::ostream& operator<<(std::ostream& out, rtp_ext_init_params const& params);
std::ostream& operator<<(std::ostream& out, rtp_channel_info const& info);
