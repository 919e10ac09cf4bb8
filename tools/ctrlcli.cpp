// ctrlcli: a controller on the command line. Connects to the server's
// control port and sends each line read from standard input as one
// ZUZU::Message in a TPKT frame; prints every message that arrives, in
// value notation on one line, after the time it arrived.
//
//     ctrlcli [--host H] [--port P]          (default 127.0.0.1, 20001)
//
// A line is a whole message in value notation
//     { seq 7, slot 5, pdu command : ping : NULL }
// or a command, optionally after "seq N" and "slot N":
//     ping                   (an alternative without a value)
//     slot 5 connect 6       (the same as: connect : 6, with slot 5)
//     query : NULL
// Without a seq the tool numbers its commands 1, 2, 3 ... Empty lines and
// lines starting with '#' are skipped. At the end of the input the tool
// waits up to three seconds for the answers still due, then exits.
//
// Exit status: 0 when every line was sent; 1 when a line could not be sent
// (not a message, not encodable, too long), the connection failed or the
// server closed it before the input ended; 2 for a usage mistake.
#include "protocol/asn1/notation/ValueNotation.h"
#include "protocol/schemas/ZUZU.h"
#include "tests/support/OneLine.h"
#include "tests/support/TpktClient.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <iostream>
#include <iterator>
#include <poll.h>
#include <sstream>
#include <string>
#include <unistd.h>
#include <sys/time.h>
#include <vector>

namespace {

std::string now()
{
    timeval tv {};
    ::gettimeofday(&tv, nullptr);
    std::tm local {};
    std::time_t seconds = tv.tv_sec;
    ::localtime_r(&seconds, &local);
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03ld", local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<long>(tv.tv_usec / 1000));
    return text;
}

bool readsWhole(std::string const& text, ASN1::AbstractData& value)
{
    std::istringstream in(text);
    in >> value;
    if (in.fail())
        return false;
    in >> std::ws;
    return in.eof();
}

bool takeNumber(std::string& text, char const* keyword, int& number)
{
    std::istringstream in(text);
    std::string word;
    long value = 0;
    if (!(in >> word) || word != keyword || !(in >> value))
        return false;
    number = static_cast<int>(value);
    std::string rest;
    std::getline(in, rest);
    text = rest;
    return true;
}

bool isAlternativeName(std::string const& word)
{
    for (unsigned i = 0; i < ZUZU::Command::theInfo.totalChoices; ++i) {
        if (word == ZUZU::Command::selectionNames[i])
            return true;
    }
    return false;
}

// A message from one input line; false when the line reads as none.
bool parseLine(std::string line, ZUZU::Message& message)
{
    if (readsWhole(line, message))
        return true;
    int seq = 0;
    int slot = 0;
    bool hasSeq = false;
    bool hasSlot = false;
    for (bool more = true; more;) {
        more = false;
        if (takeNumber(line, "seq", seq))
            more = hasSeq = true;
        if (takeNumber(line, "slot", slot))
            more = hasSlot = true;
    }
    ZUZU::Command command;
    if (!readsWhole(line, command)) {
        // "name" or "name value" for "name : NULL" or "name : value".
        std::istringstream in(line);
        std::string name;
        in >> name;
        std::string rest;
        std::getline(in, rest);
        bool bare = rest.find_first_not_of(" \t") == std::string::npos;
        if (!isAlternativeName(name) || !readsWhole(name + " : " + (bare ? std::string("NULL") : rest), command))
            return false;
    }
    message.ref_pdu().setSelection(ZUZU::PDU::command, command.clone().release());
    if (hasSeq)
        message.set_seq(seq);
    if (hasSlot) {
        if (slot < 0 || slot > 1023)
            return false;
        message.set_slot(static_cast<unsigned>(slot));
    }
    return true;
}

// Prints one received message; a response settles one answer due.
void show(std::vector<char> const& payload, ASN1::CoderEnv& env, int& answersDue)
{
    ZUZU::Message message;
    if (!ASN1::decode(payload.data(), payload.data() + payload.size(), &env, message, true)) {
        std::cout << now() << " < undecodable: " << hexText(payload) << std::endl;
        return;
    }
    if (message.get_pdu().getSelection() == ZUZU::PDU::response)
        --answersDue;
    std::cout << now() << " < " << oneLine(message) << std::endl;
}

void usage(std::ostream& out)
{
    out << "usage: ctrlcli [--host H] [--port P]\n"
           "  Reads commands from standard input, one per line, and prints\n"
           "  every message from the server with its arrival time."
        << std::endl;
}

} // namespace

int main(int argc, char** argv)
{
    std::string host = "127.0.0.1";
    unsigned long port = 20001;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--host" && i + 1 < argc) {
            host = argv[++i];
        } else if (arg == "--port" && i + 1 < argc) {
            char* end = nullptr;
            port = std::strtoul(argv[++i], &end, 10);
            if (*end != '\0' || port == 0 || port > 65535) {
                usage(std::cerr);
                return 2;
            }
        } else if (arg == "--help" || arg == "-h") {
            usage(std::cout);
            return 0;
        } else {
            usage(std::cerr);
            return 2;
        }
    }

    TpktClient link;
    if (!link.connect(host, static_cast<unsigned short>(port))) {
        std::cerr << "ctrlcli: can't connect to " << host << ":" << port << ": " << std::strerror(errno) << std::endl;
        return 1;
    }
    std::cerr << "connected to " << host << ":" << port << std::endl;

    ASN1::CoderEnv env(ASN1::CoderEnv::per_Aligned);
    int nextSeq = 1;
    int answersDue = 0;
    bool inputOpen = true;
    bool unsent = false; // a line was not sent: the exit status says so
    std::string pending;
    using Clock = std::chrono::steady_clock;
    Clock::time_point giveUp;

    for (;;) {
        pollfd fds[2] = {{link.fd(), POLLIN, 0}, {0, POLLIN, 0}};
        int timeout = -1;
        if (!inputOpen) {
            if (answersDue <= 0)
                return unsent ? 1 : 0;
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(giveUp - Clock::now()).count();
            if (left <= 0)
                return unsent ? 1 : 0;
            timeout = static_cast<int>(left);
        }
        if (::poll(fds, inputOpen ? 2 : 1, timeout) < 0 && errno != EINTR)
            return 1;

        if (fds[0].revents) {
            std::vector<char> payload;
            TpktClient::Result result;
            while ((result = link.receiveFrame(payload, 0)) == TpktClient::frame)
                show(payload, env, answersDue);
            if (result == TpktClient::malformed) {
                std::cout << now() << " < not a TPKT frame: " << hexText(link.unread()) << std::endl;
                return 1;
            }
            if (result == TpktClient::closed) {
                std::cout << now() << " connection closed by the server" << std::endl;
                return inputOpen || unsent ? 1 : 0;
            }
        }

        if (inputOpen && fds[1].revents) {
            char chunk[4096];
            ssize_t n = ::read(0, chunk, sizeof chunk);
            if (n <= 0) {
                inputOpen = false;
                giveUp = Clock::now() + std::chrono::seconds(3);
                if (pending.find_first_not_of(" \t\r") == std::string::npos)
                    pending.clear();
                else
                    pending += '\n';
            } else {
                pending.append(chunk, static_cast<std::size_t>(n));
            }
            for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
                std::string line = pending.substr(0, end);
                pending.erase(0, end + 1);
                std::size_t first = line.find_first_not_of(" \t\r");
                if (first == std::string::npos || line[first] == '#')
                    continue;
                ZUZU::Message message;
                if (!parseLine(line, message)) {
                    std::cerr << "ctrlcli: not a message or command: " << line << std::endl;
                    unsent = true;
                    continue;
                }
                if (!message.hasOptionalField(ZUZU::Message::e_seq))
                    message.set_seq(nextSeq++);
                std::vector<char> bytes;
                if (!ASN1::encode(message, &env, std::back_inserter(bytes))) {
                    std::cerr << "ctrlcli: can't encode: " << oneLine(message) << std::endl;
                    unsent = true;
                    continue;
                }
                if (bytes.size() > 65531) {
                    std::cerr << "ctrlcli: too long for one frame: " << bytes.size() << " bytes" << std::endl;
                    unsent = true;
                    continue;
                }
                std::cout << now() << " > " << oneLine(message) << std::endl;
                if (!link.sendFrame(bytes)) {
                    std::cout << now() << " connection closed by the server" << std::endl;
                    return 1;
                }
                if (message.get_pdu().getSelection() == ZUZU::PDU::command)
                    ++answersDue;
            }
        }
    }
}
