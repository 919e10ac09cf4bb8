// ctrlload: load on the control link over loopback. Measures pings per
// second and the round-trip time of each ping, first one at a time, then
// with a window of pings outstanding, against the server's control port;
// and the same against the TPKT echo program (tools/tpkt_echo), which runs
// the control link's connection stack without decoding anything, as the
// baseline. Prints one table row per run and the ratios.
//
//     ctrlload --port P --echo-port Q [--count N] [--window W]
//
// Defaults: 20000 pings per run, a window of 32. Start the two programs
// first, e.g.
//     SERVER_ROOT=$(mktemp -d) build/normal/core/server --port 20100 &
//     build/normal/tools/tpkt_echo --port 20101 &
#include "protocol/schemas/ZUZU.h"
#include "tests/support/TpktClient.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Result {
    double perSecond = 0;
    double p50 = 0, p90 = 0, p99 = 0, max = 0; // microseconds
    bool ok = false;
};

// The seq of the next message from the link; -1 when the link fails or
// nothing arrives in time.
int receiveSeq(TpktClient& link, int timeoutMs = 5000)
{
    std::vector<char> payload;
    if (link.receiveFrame(payload, timeoutMs) != TpktClient::frame)
        return -1;
    ASN1::CoderEnv env(ASN1::CoderEnv::per_Aligned);
    ZUZU::Message message;
    if (!ASN1::decode(payload.data(), payload.data() + payload.size(), &env, message, true)
        || !message.hasOptionalField(ZUZU::Message::e_seq))
        return -1;
    return message.get_seq().getValue();
}

// Connects and waits for the answer to a first ping: the server takes one
// controller at a time and refuses a new one until it has noticed that the
// previous one left.
bool connectServed(TpktClient& link, unsigned short port, std::vector<char> const& probe, int probeSeq)
{
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (link.connect("127.0.0.1", port) && link.send(probe) && receiveSeq(link, 500) == probeSeq)
            return true;
        link.close();
        ::usleep(100000);
    }
    return false;
}

// A ping with that seq, framed.
std::vector<char> pingFrame(int seq)
{
    ZUZU::Message message;
    message.set_seq(seq);
    message.ref_pdu().setSelection(ZUZU::PDU::command, new ZUZU::Command);
    boost::polymorphic_downcast<ZUZU::Command*>(message.ref_pdu().getValue())->select(ZUZU::Command::ping);
    ASN1::CoderEnv env(ASN1::CoderEnv::per_Aligned);
    std::vector<char> payload;
    ASN1::encode(message, &env, std::back_inserter(payload));
    return tpkt_frame(payload);
}

double percentile(std::vector<double> const& sorted, double p)
{
    std::size_t index = static_cast<std::size_t>(p * static_cast<double>(sorted.size() - 1) + 0.5);
    return sorted[std::min(index, sorted.size() - 1)];
}

// count pings with at most window outstanding; each round trip is timed
// from its send to its answer.
Result run(unsigned short port, int count, int window)
{
    Result result;
    TpktClient link;
    if (!connectServed(link, port, pingFrame(count), count))
        return result;
    std::vector<std::vector<char>> frames;
    for (int seq = 0; seq < count; ++seq)
        frames.push_back(pingFrame(seq));
    std::vector<Clock::time_point> sent(static_cast<std::size_t>(count));
    std::vector<double> rtt;
    rtt.reserve(static_cast<std::size_t>(count));

    auto start = Clock::now();
    int next = 0;
    for (int answered = 0; answered < count; ++answered) {
        while (next < count && next - answered < window) {
            sent[static_cast<std::size_t>(next)] = Clock::now();
            if (!link.send(frames[static_cast<std::size_t>(next)]))
                return result;
            ++next;
        }
        int seq = receiveSeq(link);
        if (seq < 0 || seq >= next)
            return result;
        rtt.push_back(std::chrono::duration<double, std::micro>(Clock::now() - sent[static_cast<std::size_t>(seq)]).count());
    }
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::sort(rtt.begin(), rtt.end());
    result.perSecond = count / seconds;
    result.p50 = percentile(rtt, 0.50);
    result.p90 = percentile(rtt, 0.90);
    result.p99 = percentile(rtt, 0.99);
    result.max = rtt.back();
    result.ok = true;
    return result;
}

void row(char const* target, std::string const& mode, Result const& r)
{
    if (!r.ok) {
        std::printf("%-12s %-12s failed\n", target, mode.c_str());
        return;
    }
    std::printf("%-12s %-12s %10.0f %8.1f %8.1f %8.1f %8.1f\n", target, mode.c_str(), r.perSecond, r.p50, r.p90,
                r.p99, r.max);
}

bool number(char const* text, int& value, int low, int high)
{
    char* end = nullptr;
    long parsed = std::strtol(text, &end, 10);
    if (*end != '\0' || parsed < low || parsed > high)
        return false;
    value = static_cast<int>(parsed);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    int port = 0, echoPort = 0, count = 20000, window = 32;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        bool ok = i + 1 < argc;
        if (ok && arg == "--port")
            ok = number(argv[++i], port, 1, 65535);
        else if (ok && arg == "--echo-port")
            ok = number(argv[++i], echoPort, 1, 65535);
        else if (ok && arg == "--count")
            ok = number(argv[++i], count, 1, 1000000);
        else if (ok && arg == "--window")
            ok = number(argv[++i], window, 1, 10000);
        else
            ok = false;
        if (!ok) {
            std::cerr << "usage: ctrlload --port P --echo-port Q [--count N] [--window W]" << std::endl;
            return 2;
        }
    }
    if (port == 0 || echoPort == 0) {
        std::cerr << "usage: ctrlload --port P --echo-port Q [--count N] [--window W]" << std::endl;
        return 2;
    }

    std::string pipelined = "window " + std::to_string(window);
    std::printf("%-12s %-12s %10s %8s %8s %8s %8s\n", "target", "mode", "pings/s", "p50 us", "p90 us", "p99 us",
                "max us");
    Result serverOne = run(static_cast<unsigned short>(port), count, 1);
    row("server", "one at once", serverOne);
    Result echoOne = run(static_cast<unsigned short>(echoPort), count, 1);
    row("tpkt_echo", "one at once", echoOne);
    Result serverMany = run(static_cast<unsigned short>(port), count, window);
    row("server", pipelined, serverMany);
    Result echoMany = run(static_cast<unsigned short>(echoPort), count, window);
    row("tpkt_echo", pipelined, echoMany);
    if (serverOne.ok && echoOne.ok && serverMany.ok && echoMany.ok) {
        std::printf("server / echo rate: %.2f one at once, %.2f with %s\n", serverOne.perSecond / echoOne.perSecond,
                    serverMany.perSecond / echoMany.perSecond, pipelined.c_str());
        return 0;
    }
    return 1;
}
