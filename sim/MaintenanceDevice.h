#pragma once
// The E1 framers' maintenance driver, "/dev/maintenance": the synchronisation
// status of the four trunks (state word and five error counters, as the
// board's 80-byte status record), the TCLK mask that makes trunks timing
// slaves, and the bus clock source. Every trunk starts in state 0 (normal)
// with every counter 0; the TCLK and clock-source requests always succeed.
//
// Control verbs (after "maintenance" on the control socket):
//   state T WORD|NAME     trunk T reports the state word (a number, or one of
//                         normal lossBF lossCarrier ais rai unknown disabled)
//   counters T S BF LC AIS RAI
//                         trunk T reports these slips, lossBF, lossCarrier,
//                         lossAIS and lossRAI counters
//   reset                 every trunk back to normal with counters 0
//   show                  one line per trunk, then "tclk=0x.. source=N"
#include "hardware/device/E1Requests.h"
#include "sim/SimDevice.h"

#include <array>
#include <cstdint>

namespace Sim {

class MaintenanceDevice final : public Device {
public:
    static constexpr unsigned trunks = 4;

    struct TrunkStatus {
        std::uint32_t state = 0;
        std::uint32_t slips = 0;
        std::uint32_t lossBF = 0;
        std::uint32_t lossCarrier = 0;
        std::uint32_t lossAIS = 0;
        std::uint32_t lossRAI = 0;
    };

    char const* path() const override { return "/dev/maintenance"; }

    // Scripting from tests; false for a trunk outside 0..3.
    bool set_status(unsigned trunk, TrunkStatus const& status);
    TrunkStatus status(unsigned trunk) const { return status_.at(trunk); }
    std::uint32_t tclk_mask() const { return tclk_; }
    long clock_source() const { return source_; }

    void describe(unsigned long code, std::uint8_t const* record, std::size_t size, RequestNote& note) const override;
    void describe_value(unsigned long code, unsigned long value, RequestNote& note) const override;
    int request(Open&, unsigned long code, std::uint8_t* record, std::size_t size, RequestNote& note) override;
    int request_value(Open&, unsigned long code, unsigned long value, RequestNote& note) override;
    bool control(std::vector<std::string> const& words, std::ostream& reply) override;

private:
    std::array<TrunkStatus, trunks> status_{};
    std::uint32_t tclk_ = 0;
    long source_ = -1; // none selected yet
};

} // namespace Sim
