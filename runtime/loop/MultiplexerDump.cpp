// The main loop's part of the status dump.
#include "runtime/loop/Event.h"
#include "runtime/text/ExtTable.h"
#include "runtime/loop/Multiplexer.h"
#include "runtime/loop/PollEventText.h"
#include "runtime/base/Profile.h"

#include <ostream>

void Multiplexer::dump(std::ostream& out) const
{
    out << "dpc transition measurement (min/max/cur/counter): ";
    dpcMeasure_.put(out);
    out << std::endl << "event transition measurement (min/max/cur/counter): ";
    eventMeasure_.put(out);
    out << std::endl << "timer transition measurement (min/max/cur/counter): ";
    timerMeasure_.put(out);
    out << std::endl;

    Profile::dump(out);

    ext::Table table(40, 30, 10, 10, 5, 60);
    ext::Table::Sentry row(out, table);
    row << ext::delimeter << ext::beginrow << "name" << ext::nextrow << "events" << ext::nextrow << "count"
        << ext::nextrow << "handler" << ext::nextrow << "fd" << ext::nextrow << "measure" << ext::nextrow
        << ext::delimeter;
    // Handlers attached since the poll set was built are not in it yet.
    for (EventHandler const* handler : pollSet_) {
        if (!handler->is_named())
            continue;
        auto const* event = dynamic_cast<Event const*>(handler);
        if (!event)
            continue;
        row << ext::beginrow << event->name() << ext::nextrow << PollEventAsText(event->events()) << ext::nextrow
            << event->count() << ext::nextrow << (event->bound() ? "attached" : "unattached") << ext::nextrow
            << event->fd().get() << ext::nextrow << event->measure() << ext::nextrow;
    }
    row << ext::delimeter;
    out << std::endl;
}
