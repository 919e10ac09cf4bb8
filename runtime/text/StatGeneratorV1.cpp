#include "runtime/text/StatGeneratorV1.h"

namespace Stat {
namespace Html {

namespace {

// What follows '<' in a section directive, before the name.
constexpr char directive_prefix[] = "!--GEN.";
constexpr unsigned directive_prefix_length = sizeof directive_prefix - 1;

} // namespace

GeneratorV1::GeneratorV1(Object& root, std::ostream& out, std::istream& templ)
    : root_(root), out_(out), templ_(templ), sources_{&root}
{
}

int GeneratorV1::generate()
{
    skip_ = 0;
    while (next_token()) {
        if (token_ == Token::value)
            write_value();
        else if (name_ == "end")
            end_section();
        else
            begin_section(name_);
    }
    return 1;
}

// Sections are kept on an explicit stack rather than in nested calls, so a
// template with deeply nested sections costs heap, not the process stack.
void GeneratorV1::begin_section(std::string const& name)
{
    if (skip_ > 0) {
        skip_section();
        return;
    }
    Object const& current = *sources_.back();
    std::unique_ptr<IteratorBase> elements = current.statistics_iterator(name);
    if (!elements) {
        if (Object const* sub = current.statistics_object(name)) {
            frames_.push_back(Frame{Frame::object, nullptr, std::istream::pos_type(-1)});
            sources_.push_back(sub);
        } else {
            skip_section();
        }
        return;
    }
    if (!elements->valid()) {
        skip_section();
        return;
    }
    Object const* first = &elements->current();
    frames_.push_back(Frame{Frame::collection, std::move(elements), templ_.tellg()});
    sources_.push_back(first);
}

void GeneratorV1::skip_section()
{
    ++skip_;
    frames_.push_back(Frame{Frame::skipped, nullptr, std::istream::pos_type(-1)});
}

void GeneratorV1::end_section()
{
    // An "end" without an open section is dropped.
    if (frames_.empty())
        return;
    Frame& frame = frames_.back();
    switch (frame.kind) {
    case Frame::skipped:
        --skip_;
        frames_.pop_back();
        return;
    case Frame::object:
        sources_.pop_back();
        frames_.pop_back();
        return;
    case Frame::collection:
        if (frame.body != std::istream::pos_type(-1) && frame.elements->next() && templ_.seekg(frame.body)) {
            sources_.back() = &frame.elements->current();
            return;
        }
        sources_.pop_back();
        frames_.pop_back();
        return;
    }
}

void GeneratorV1::write_value()
{
    if (skip_ > 0)
        return;
    for (auto source = sources_.rbegin(); source != sources_.rend(); ++source) {
        if (Value const value = (*source)->statistics_value(name_)) {
            write(value.text());
            return;
        }
    }
    write(captured_);
}

bool GeneratorV1::next_token()
{
    char c;
    while (templ_.get(c)) {
        (this->*input_)(c);
        (this->*output_)(c);
        if (ready_) {
            ready_ = false;
            output_ = &GeneratorV1::out_pass;
            return true;
        }
    }
    // The template ended inside what might have been a directive.
    if (output_ == &GeneratorV1::out_capture)
        release_capture(&GeneratorV1::in_text);
    token_ = Token::none;
    return false;
}

void GeneratorV1::in_text(char c)
{
    if (c == '<') {
        matched_ = 0;
        start_capture(&GeneratorV1::in_directive);
    } else if (c == '%') {
        name_.clear();
        start_capture(&GeneratorV1::in_value);
    }
}

void GeneratorV1::in_tag(char c)
{
    if (c == '>')
        input_ = &GeneratorV1::in_text;
}

void GeneratorV1::in_directive(char c)
{
    if (c != directive_prefix[matched_]) {
        release_capture(c == '>' ? &GeneratorV1::in_text : &GeneratorV1::in_tag);
        return;
    }
    if (++matched_ == directive_prefix_length) {
        name_.clear();
        input_ = &GeneratorV1::in_section_name;
    }
}

void GeneratorV1::in_section_name(char c)
{
    if (c == '-')
        input_ = &GeneratorV1::in_section_dash;
    else if (c == '>')
        release_capture(&GeneratorV1::in_text); // no "--" before the '>'
    else
        name_ += c;
}

void GeneratorV1::in_section_dash(char c)
{
    if (c == '-') {
        input_ = &GeneratorV1::in_section_close;
        return;
    }
    name_ += '-';
    input_ = &GeneratorV1::in_section_name;
    in_section_name(c);
}

void GeneratorV1::in_section_close(char c)
{
    if (c != '>')
        return;
    token_ = Token::section;
    ready_ = true;
    input_ = &GeneratorV1::in_text;
}

void GeneratorV1::in_value(char c)
{
    if (c != '%') {
        name_ += c;
        return;
    }
    if (name_.empty()) {
        // "%%": both are written as they stand.
        release_capture(&GeneratorV1::in_text);
        return;
    }
    token_ = Token::value;
    ready_ = true;
    input_ = &GeneratorV1::in_text;
}

void GeneratorV1::out_pass(char c)
{
    write(c);
}

void GeneratorV1::out_capture(char c)
{
    captured_ += c;
}

void GeneratorV1::start_capture(State next)
{
    captured_.clear();
    output_ = &GeneratorV1::out_capture;
    input_ = next;
}

void GeneratorV1::release_capture(State next)
{
    write(captured_);
    captured_.clear();
    output_ = &GeneratorV1::out_pass;
    input_ = next;
}

void GeneratorV1::write(char c)
{
    if (skip_ == 0)
        out_.put(c);
}

void GeneratorV1::write(std::string const& text)
{
    if (skip_ == 0)
        out_ << text;
}

int generateV1(Object& root, std::ostream& out, std::istream& templ)
{
    GeneratorV1 generator(root, out, templ);
    return generator.generate();
}

} // namespace Html
} // namespace Stat
