// Codec texts, the RTP driver's error value and records as
// log text.
#include "hardware/DeviceNames.h"
#include "hardware/RtpErr.h"
#include "hardware/RtpRecords.h"

#include <gtest/gtest.h>
#include <cerrno>
#include <cstring>
#include <sstream>

TEST(CodecTexts, NameCodecsZeroToEightAndNothingElse)
{
    char const* const texts[] = {"unknown", "g711", "g723", "g729", "tonec", "g711-rtp", "g729-rtp", "g723-rtp", "conf"};
    for (int codec = 0; codec < 9; ++codec)
        EXPECT_STREQ(texts[codec], GetCodecAsStr(codec));
    for (int codec : {-1, 9, 1000})
        EXPECT_STREQ("invalid", GetCodecAsStr(codec)) << codec;
}

TEST(RtpErrText, KeepsTheErrnoOfItsMaking)
{
    errno = EBUSY;
    RtpErr error(7);
    errno = ENOENT;
    std::ostringstream out;
    out << error;
    EXPECT_EQ(std::strerror(EBUSY), out.str());
    EXPECT_EQ(7, error.code);
}

TEST(RtpRecordText, PrintsTheFieldsAtTheirOffsets)
{
    rtp_connection_params connection;
    connection.put16(14, 0xFFF8); // -8
    connection.put16(16, 18);
    connection.put16(18, 0xFFFF);
    connection.put32(24, 0xDEADBEEF);
    std::ostringstream out;
    out << connection;
    EXPECT_EQ("  rtp_connection_params\n  {\n   packet_factor = 65535\n   rx_pt = -8\n   tx_pt = 18\n"
              "   ssrc = 3735928559\n  }\n",
              out.str());

    rtp_ext_attach_session_params session;
    session.put32(0, 12);
    session.put32(4, 0xFFFFFFFF);
    rtp_ext_init_params init;
    init.put16(0, 0x0800);
    rtp_channel_info info;
    info.put32(0, 1);
    info.put32(4, 2);
    info.put32(8, 0xFFFFFFFD);
    out.str("");
    out << session << init << info;
    EXPECT_EQ("  rtp_ext_attach_session_params\n  {\n   fd_rtp = 12\n   pid_rtp = -1\n  }\n"
              "  rtp_ext_init_params\n  {\n   etype = 2048\n  }\n"
              "rtp_channel_info { tdm=1 dev_no=2 chn=-3 }",
              out.str());
}
