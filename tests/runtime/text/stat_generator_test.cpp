#include "runtime/text/StatGeneratorV1.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

namespace {

// A statistics source built from maps: values, sub-sources and collections.
class Source : public Stat::Object {
public:
    Source& value(std::string const& name, std::string const& text)
    {
        values_[name] = text;
        return *this;
    }
    Source& sub(std::string const& name)
    {
        auto& s = subs_[name];
        s = std::make_unique<Source>();
        return *s;
    }
    // Makes an empty collection when it does not exist yet.
    Source& element(std::string const& name)
    {
        auto& list = collections_[name];
        list.push_back(std::make_unique<Source>());
        return *list.back();
    }
    void collection(std::string const& name) { collections_[name]; }

    Stat::Value statistics_value(std::string const& name) const override
    {
        auto i = values_.find(name);
        return i == values_.end() ? Stat::Value() : Stat::Value(i->second);
    }
    Stat::Object* statistics_object(std::string const& name) const override
    {
        auto i = subs_.find(name);
        return i == subs_.end() ? nullptr : i->second.get();
    }
    std::unique_ptr<Stat::IteratorBase> statistics_iterator(std::string const& name) const override
    {
        auto i = collections_.find(name);
        if (i == collections_.end())
            return nullptr;
        return std::make_unique<Iterator>(i->second);
    }

private:
    using List = std::vector<std::unique_ptr<Source>>;

    class Iterator : public Stat::IteratorBase {
    public:
        explicit Iterator(List const& list) : list_(list) {}
        bool valid() const override { return at_ < list_.size(); }
        bool next() override { return ++at_ < list_.size(); }
        Stat::Object& current() const override { return *list_.at(at_); }

    private:
        List const& list_;
        std::size_t at_ = 0;
    };

    std::map<std::string, std::string> values_;
    std::map<std::string, std::unique_ptr<Source>> subs_;
    std::map<std::string, List> collections_;
};

// The page tree of the tests: a title, a sub-source, a table of rows each
// with a collection of cells, and an empty collection.
Source page()
{
    Source root;
    root.value("title", "Trunks").value("unit", "ms");
    root.sub("board").value("name", "gw-1").value("title", "Board");
    for (int r = 1; r <= 3; ++r) {
        Source& row = root.element("rows");
        row.value("n", std::to_string(r));
        for (int c = 1; c <= r; ++c)
            row.element("cells").value("v", std::to_string(r * 10 + c));
    }
    root.element("my-rows").value("n", "x");
    root.collection("none");
    return root;
}

std::string generate(Source& root, std::string const& templ)
{
    std::istringstream in(templ);
    std::ostringstream out;
    EXPECT_EQ(1, Stat::Html::generateV1(root, out, in));
    return out.str();
}

struct Case {
    char const* what;
    char const* templ;
    char const* expected;
};

void run(Case const* begin, Case const* end)
{
    Source root = page();
    for (Case const* c = begin; c != end; ++c)
        EXPECT_EQ(c->expected, generate(root, c->templ)) << c->what << "\n  template: " << c->templ;
}

TEST(StatGenerator, TextTagsAndValueReferences)
{
    Case const cases[] = {
        {"text without directives", "plain <b>bold</b> & more\n\tend", "plain <b>bold</b> & more\n\tend"},
        {"a value", "<h1>%title%</h1>", "<h1>Trunks</h1>"},
        {"a reference no source knows", "%nosuch% left", "%nosuch% left"},
        {"percent inside a tag means nothing", "<a href=\"%title%\">%title%</a>", "<a href=\"%title%\">Trunks</a>"},
        {"a doubled percent", "100%% sure", "100%% sure"},
        {"a doubled percent before a name", "%%title%", "%%title%"},
        {"an ordinary comment", "<!-- note %title% -->", "<!-- note %title% -->"},
        {"starts of a directive that go elsewhere", "<!x> <!-x> <!--G> <!--GEX> <> <", "<!x> <!-x> <!--G> <!--GEX> <> <"},
        {"a section name closed without dashes", "<!--GEN.rows>%title%", "<!--GEN.rows>Trunks"},
        {"a stray end is dropped", "a<!--GEN.end-->b", "ab"},
    };
    run(std::begin(cases), std::end(cases));
}

TEST(StatGenerator, SectionsRepeatSkipAndNest)
{
    Case const cases[] = {
        {"a collection repeats its body per element", "<!--GEN.rows-->[%n%]<!--GEN.end-->.", "[1][2][3]."},
        {"an empty collection writes nothing of its body", "a<!--GEN.none-->[%title%]<!--GEN.end-->b", "ab"},
        {"an unknown section writes nothing, nested sections included",
         "a<!--GEN.nosuch-->%title%<b>x</b><!--GEN.rows-->y%n%<!--GEN.end-->z<!--GEN.end-->b", "ab"},
        {"a sub-source: values from it first, then outward", "<!--GEN.board-->%name% %title% %unit%<!--GEN.end-->",
         "gw-1 Board ms"},
        {"nested collections", "<!--GEN.rows-->%n%:<!--GEN.cells-->%v%,<!--GEN.end-->;<!--GEN.end-->",
         "1:11,;2:21,22,;3:31,32,33,;"},
        {"inner sections see the outer sources",
         "<!--GEN.rows--><!--GEN.cells-->%n%.%v%/%unit% <!--GEN.end--><!--GEN.end-->",
         "1.11/ms 2.21/ms 2.22/ms 3.31/ms 3.32/ms 3.33/ms "},
        {"a section known only to an outer source is skipped inside another",
         "<!--GEN.rows-->%n%<!--GEN.board-->%name%<!--GEN.end--><!--GEN.end-->|", "123|"},
        {"a dash inside a name", "<!--GEN.my-rows-->%n%<!--GEN.end-->", "x"},
        {"text after the dashes is ignored", "<!--GEN.rows-- all rows>%n%<!--GEN.end-- of rows-->", "123"},
        {"the same collection twice", "<!--GEN.rows-->%n%<!--GEN.end--> <!--GEN.rows-->%n%<!--GEN.end-->", "123 123"},
        {"a template ending inside a section", "<!--GEN.rows-->[%n%]", "[1]"},
    };
    run(std::begin(cases), std::end(cases));
}

TEST(StatGenerator, ATokenTheTemplateEndsInsideIsWrittenUnchanged)
{
    Case const cases[] = {
        {"a reference", "x %title", "x %title"},
        {"a lone percent", "50%", "50%"},
        {"a section directive", "x <!--GEN.rows", "x <!--GEN.rows"},
        {"a directive in its dashes", "x <!--GEN.rows--", "x <!--GEN.rows--"},
        {"a directive's start", "x <!-", "x <!-"},
        {"inside a skipped section nothing is written", "x<!--GEN.nosuch-->%title", "x"},
        {"after a value", "%title%<!--GEN", "Trunks<!--GEN"},
    };
    run(std::begin(cases), std::end(cases));
}

TEST(StatGenerator, DeeplyNestedSectionsDoNotExhaustTheStack)
{
    Source root = page();
    std::string templ = "a";
    for (int i = 0; i < 200000; ++i)
        templ += "<!--GEN.nosuch-->";
    templ += "%title%";
    for (int i = 0; i < 200000; ++i)
        templ += "<!--GEN.end-->";
    templ += "b%title%";
    EXPECT_EQ("abTrunks", generate(root, templ));
}

// A template stream that cannot be repositioned.
class ForwardOnly : public std::streambuf {
public:
    explicit ForwardOnly(std::string text) : text_(std::move(text)) { setg(&text_[0], &text_[0], &text_[0] + text_.size()); }

private:
    std::string text_;
};

TEST(StatGenerator, OnATemplateThatCannotSeekACollectionIsWrittenOnce)
{
    Source root = page();
    ForwardOnly buffer("<!--GEN.rows-->[%n%]<!--GEN.end-->%title%");
    std::istream in(&buffer);
    std::ostringstream out;
    EXPECT_EQ(1, Stat::Html::generateV1(root, out, in));
    EXPECT_EQ("[1]Trunks", out.str());
}

} // namespace
