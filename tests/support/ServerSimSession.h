#pragma once
// A session with server-sim for end-to-end tests: the simulator started on
// a free port, a controller on its control link and a client on its control
// socket to script the board. Messages travel in value notation.
#include "protocol/asn1/notation/ValueNotation.h"
#include "protocol/schemas/ZUZU.h"
#include "sim/ControlClient.h"
#include "support/ControllerLink.h"
#include "support/OneLine.h"

#include <gtest/gtest.h>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace e2e {

struct Received {
    std::string text;
    Clock::time_point at;
};

class ServerSimSession : public ::testing::Test {
protected:
    void start(std::vector<std::string> args = {})
    {
        server_.startOnFreePort("sim/server-sim", std::move(args));
        ASSERT_TRUE(server_.errShows("Starting server "));
        ASSERT_NE(std::string::npos, server_.err().find("server-sim: control socket "
                                                        + server_.root().path("/var/run/server-sim.ctl")));
        ASSERT_TRUE(board_.connect(server_.root().path("/var/run/server-sim.ctl")));
    }

    void connect() { ASSERT_TRUE(controller_.connectServed(server_.port())); }

    // Runs a line on the board's control socket; the reply without its "ok".
    std::string sim(std::string const& line)
    {
        std::string reply;
        EXPECT_EQ(Sim::ControlClient::ok, board_.ask(line, reply, static_cast<int>(patience(milliseconds(5000)).count())))
            << line << ": " << reply;
        return reply.substr(0, reply.rfind("ok\n"));
    }

    // The next message from the server in value notation, with its time;
    // text "" when none came in time.
    Received next(milliseconds limit = patience(milliseconds(3000)))
    {
        std::string got = controller_.receive(limit);
        Received received{got, Clock::now()};
        if (got.empty() || got == "closed")
            return received;
        Bytes payload = bytes_of<char>(got);
        ZUZU::Message message;
        ASN1::CoderEnv env(ASN1::CoderEnv::per_Aligned);
        received.text = ASN1::decode(payload.data(), payload.data() + payload.size(), &env, message, true)
                            ? oneLine(message) : "undecodable " + got;
        return received;
    }

    // Sends a message given in value notation; returns the answer, setting
    // aside the signals that come before it.
    std::string ask(std::string const& text)
    {
        ZUZU::Message message;
        std::istringstream in(text);
        in >> message;
        EXPECT_FALSE(in.fail()) << text;
        ASN1::CoderEnv env(ASN1::CoderEnv::per_Aligned);
        std::vector<char> payload;
        EXPECT_TRUE(ASN1::encode(message, &env, std::back_inserter(payload))) << text;
        if (!controller_.send(payload))
            return "send failed";
        for (;;) {
            Received got = next();
            if (got.text.find("pdu signal") == std::string::npos)
                return got.text;
            signals_.push_back(got);
        }
    }

    ServerUnderTest server_;
    ControllerLink controller_;
    Sim::ControlClient board_;
    std::vector<Received> signals_;
};


} // namespace e2e
