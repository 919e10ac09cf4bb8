#pragma once
// Fills an HTML page template with statistics. The template is copied from
// its stream to the output; '%name%' outside a tag is replaced by the value
// the sources know under that name (asked from the current source outward
// to the root), and a section from "<!--GEN.name-->" to "<!--GEN.end-->" is
// written once for a sub-source of that name, once per element for a
// collection of that name, and not at all when the current source has
// neither. Anything the generator does not recognise, including a
// directive the template ends inside, is written unchanged.
//
// Sections repeat by seeking the template back, so the template stream must
// be seekable; on one that is not, a collection's section is written for its
// first element only.
#include "runtime/text/StatObject.h"

#include <istream>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace Stat {
namespace Html {

class GeneratorV1 {
public:
    GeneratorV1(Object& root, std::ostream& out, std::istream& templ);

    GeneratorV1(GeneratorV1 const&) = delete;
    GeneratorV1& operator=(GeneratorV1 const&) = delete;

    // Runs through the whole template; returns 1.
    int generate();

private:
    enum class Token { none, section, value };
    using State = void (GeneratorV1::*)(char);

    // An open section: what ends it at its "<!--GEN.end-->".
    struct Frame {
        enum Kind { object, collection, skipped } kind;
        std::unique_ptr<IteratorBase> elements;
        std::istream::pos_type body;
    };

    // Reads the template up to the next complete directive; false at its end.
    bool next_token();
    void begin_section(std::string const& name);
    void end_section();
    void skip_section();
    void write_value();

    // Input states: where the scanner stands in the template's syntax.
    void in_text(char c);
    void in_tag(char c);
    void in_directive(char c);
    void in_section_name(char c);
    void in_section_dash(char c);
    void in_section_close(char c);
    void in_value(char c);
    // Output states: copy each byte, or hold it while a directive may be
    // under way.
    void out_pass(char c);
    void out_capture(char c);

    void start_capture(State next);
    // The held bytes were no directive: writes them and copies on.
    void release_capture(State next);
    void write(char c);
    void write(std::string const& text);

    Object& root_;
    std::ostream& out_;
    std::istream& templ_;
    // The sources of the open sections, root first; the last is current.
    std::vector<Object const*> sources_;
    std::vector<Frame> frames_;
    int skip_ = 0;
    State input_ = &GeneratorV1::in_text;
    State output_ = &GeneratorV1::out_pass;
    Token token_ = Token::none;
    std::string name_;
    bool ready_ = false;
    std::string captured_;
    // How much of "!--GEN." follows the '<' so far.
    unsigned matched_ = 0;
};

// Builds a generator for root, out and templ and runs it; returns 1.
int generateV1(Object& root, std::ostream& out, std::istream& templ);

} // namespace Html
} // namespace Stat
