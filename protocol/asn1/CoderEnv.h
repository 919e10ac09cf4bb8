#pragma once
// The coding-rule selector: which rule encode and decode use (0 value
// notation text, 1 BER, 2 PER ALIGNED, 3 PER UNALIGNED), and a registry of
// modules by name that nested decoders may consult. Its user makes one per
// link or per message; every link of the system uses PER ALIGNED with an
// empty registry.
#include <loki/AssocVector.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

namespace ASN1 {

class AbstractData;
class Module;

class CoderEnv {
public:
    enum EncodingRules { avn = 0, ber = 1, per_Aligned = 2, per_Unaligned = 3 };

    struct StringListeralCmp {
        typedef char const* first_argument_type;
        typedef char const* second_argument_type;
        typedef bool result_type;
        bool operator()(char const* a, char const* b) const { return std::strcmp(a, b) < 0; }
    };
    typedef Loki::AssocVector<char const*, Module*, StringListeralCmp> ModuleMap;

    explicit CoderEnv(int encodingRule = per_Aligned) : encodingRule_(encodingRule) {}

    int getEncodingRules() const { return encodingRule_; }
    void setEncodingRules(int encodingRule) { encodingRule_ = encodingRule; }
    ModuleMap& modules() { return modules_; }
    ModuleMap const& modules() const { return modules_; }

    // Writes the encoding of value to out only when the whole encode
    // succeeds; false for a rule without a coder.
    template <class OutputIterator>
    bool encode(AbstractData const& value, OutputIterator out) { return encodeBy(encodingRule_, value, out); }
    // Fills value from [first, last). With defer, nested decoders are not
    // handed this environment. False for a rule without a coder, leaving
    // value untouched.
    bool decode(char const* first, char const* last, AbstractData& value, bool defer);

    // The BER encoding of value, whatever the rule.
    template <class OutputIterator>
    bool encodeBER(AbstractData const& value, OutputIterator out) { return encodeBy(ber, value, out); }

    // The value-notation text of value, whatever the rule; false (nothing
    // written) when the value has parts that have no text.
    template <class OutputIterator>
    bool encodeAVN(AbstractData const& value, OutputIterator out) { return encodeBy(avn, value, out); }

private:
    bool encodeToBuffer(int rule, AbstractData const& value, std::vector<char>& buffer) const;

    template <class OutputIterator>
    bool encodeBy(int rule, AbstractData const& value, OutputIterator out) const
    {
        std::vector<char> buffer;
        if (!encodeToBuffer(rule, value, buffer))
            return false;
        std::copy(buffer.begin(), buffer.end(), out);
        return true;
    }

    // Appending to a vector, the usual case (a link's send buffer): into an
    // empty one the coder writes directly, with no buffer and no copy; a
    // failed encode leaves it empty again. Into one that holds octets
    // already (a coder expects to start with an empty vector) through a
    // buffer, appended in one insert.
    bool encodeBy(int rule, AbstractData const& value, std::back_insert_iterator<std::vector<char>> out) const
    {
        std::vector<char>& target = Appender(out).target();
        if (target.empty()) {
            if (encodeToBuffer(rule, value, target))
                return true;
            target.clear();
            return false;
        }
        std::vector<char> buffer;
        if (!encodeToBuffer(rule, value, buffer))
            return false;
        target.insert(target.end(), buffer.begin(), buffer.end());
        return true;
    }

    // The vector behind a back_insert_iterator (its protected member).
    struct Appender : std::back_insert_iterator<std::vector<char>> {
        explicit Appender(std::back_insert_iterator<std::vector<char>> out)
            : std::back_insert_iterator<std::vector<char>>(out) {}
        std::vector<char>& target() const { return *container; }
    };

    int encodingRule_;
    ModuleMap modules_;
};

// The entry points of the links: false without an environment.
template <class OutputIterator>
bool encode(AbstractData const& value, CoderEnv* env, OutputIterator out)
{
    return env && env->encode(value, out);
}

bool decode(char const* first, char const* last, CoderEnv* env, AbstractData& value, bool defer);

} // namespace ASN1
