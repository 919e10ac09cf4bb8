#include "fuzz/per_random_value.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace PerFuzz {

namespace {

class RandomFiller : public ASN1::Visitor {
public:
    RandomFiller(std::mt19937& random, RandomOptions const& options) : random_(random), options_(options) {}

    bool fill(ASN1::AbstractData& value)
    {
        ++depth_;
        bool const ok = value.accept(*this);
        --depth_;
        return ok;
    }

protected:
    bool do_visit(ASN1::Null&) override { return true; }
    bool do_visit(ASN1::BOOLEAN& value) override
    {
        value.setValue(below(2) == 1);
        return true;
    }

    bool do_visit(ASN1::INTEGER& value) override
    {
        auto const& info = *value.info();
        unsigned const lb = static_cast<unsigned>(info.lowerLimit);
        unsigned const range = info.upperLimit - lb;
        switch (info.type) {
        case ASN1::FixedConstraint:
            value.setValue(static_cast<int>(lb + inRange(range)));
            break;
        case ASN1::ExtendableConstraint:
            value.setValue(below(4) == 0 ? anyInteger() : static_cast<int>(lb + inRange(range)));
            break;
        case ASN1::PartiallyConstrained:
            value.setValue(info.lowerLimit + static_cast<int>(below(100000)));
            break;
        default:
            value.setValue(anyInteger());
            break;
        }
        return true;
    }

    bool do_visit(ASN1::ENUMERATED& value) override
    {
        std::vector<int> numbers;
        int next = 0;
        for (char const* const* name = value.info()->names; name && *name; ++name) {
            char const* equals = std::strchr(*name, '=');
            int const number = equals ? std::atoi(equals + 1) : next;
            numbers.push_back(number);
            next = number + 1;
        }
        if (numbers.empty() || (value.extendable() && options_.enumerationExtensions && below(4) == 0))
            value.setValue(value.getMaximum() + 1 + static_cast<int>(below(100)));
        else
            value.setValue(numbers[below(static_cast<unsigned>(numbers.size()))]);
        return true;
    }

    bool do_visit(ASN1::OBJECT_IDENTIFIER& value) override
    {
        std::vector<unsigned>& arcs = value.arcs();
        arcs.clear();
        arcs.push_back(below(3));
        arcs.push_back(arcs[0] == 2 ? below(200) : below(40));
        for (unsigned n = below(7); n > 0; --n)
            arcs.push_back(below(3) == 0 ? random_() >> 4 : below(300));
        return true;
    }

    bool do_visit(ASN1::OCTET_STRING& value) override
    {
        value.resize(length(value));
        for (char& c : value)
            c = static_cast<char>(below(256));
        return true;
    }

    bool do_visit(ASN1::BIT_STRING& value) override
    {
        unsigned const bits = length(value);
        value.resize(bits);
        for (unsigned i = 0; i < bits; ++i)
            if (below(2))
                value.set(i);
        return true;
    }

    bool do_visit(ASN1::AbstractString& value) override
    {
        auto const& info = *value.info();
        std::string text(length(value), '\0');
        for (char& c : text) {
            if (info.characterSet && info.characterSetSize > 0)
                c = info.characterSet[below(info.characterSetSize)];
            else
                c = static_cast<char>(below(1u << info.canonicalBits));
        }
        value = text;
        return true;
    }

    bool do_visit(ASN1::BMPString& value) override
    {
        auto const& info = *value.info();
        std::wstring text(length(value), L'\0');
        for (wchar_t& c : text)
            c = static_cast<wchar_t>(info.firstChar + inRange(info.lastChar - info.firstChar));
        value = text;
        return true;
    }

    bool do_visit(ASN1::CHOICE& value) override
    {
        unsigned const total = value.info()->totalChoices;
        if (!options_.weight)
            return total > 0 && value.select(static_cast<int>(below(total))) && fill(*value.getValue());
        std::vector<unsigned> weights(total);
        unsigned sum = 0;
        for (unsigned i = 0; i < total; ++i)
            sum += weights[i] = options_.weight(value.info(), i);
        if (sum == 0)
            return false;
        unsigned selection = 0;
        for (unsigned r = below(sum); r >= weights[selection]; ++selection)
            r -= weights[selection];
        return value.select(static_cast<int>(selection)) && fill(*value.getValue());
    }

    bool do_visit(ASN1::SEQUENCE_OF_Base& value) override
    {
        ASN1::SEQUENCE_OF_Base::InfoType const& info = *value.info();
        unsigned count = 0;
        if (info.type == ASN1::FixedConstraint)
            count = static_cast<unsigned>(info.lowerLimit) + inRange(info.upperLimit - static_cast<unsigned>(info.lowerLimit));
        else if (depth_ < options_.maxDepth)
            count = below(options_.maxElements + 1);
        value.resize(count);
        for (unsigned i = 0; i < count; ++i)
            if (!fill(*value.elementAt(i)))
                return false;
        return true;
    }

    bool do_visit(ASN1::OpenData& value) override
    {
        std::vector<char>& buffer = value.make_buf();
        buffer.resize(1 + below(8));
        for (char& c : buffer)
            c = static_cast<char>(below(256));
        return true;
    }

    bool do_revisit(ASN1::OpenData&) override { return false; }

    bool do_visit(ASN1::TypeConstrainedOpenData& value) override
    {
        return value.get_data() != nullptr && fill(*value.get_data());
    }

    bool do_visit(ASN1::GeneralizedTime& value) override
    {
        bool const utc = below(2) == 1;
        int const offset = utc || below(2) ? 0 : static_cast<int>(below(2 * 1439 + 1)) - 1439;
        value = ASN1::GeneralizedTime(1970 + static_cast<int>(below(130)), 1 + static_cast<int>(below(12)),
                                      1 + static_cast<int>(below(28)), static_cast<int>(below(24)),
                                      static_cast<int>(below(60)), static_cast<int>(below(60)),
                                      below(2) ? 0 : static_cast<int>(below(1000)), offset, utc);
        return true;
    }

    VisitSeqResult preVisitExtensionRoots(ASN1::SEQUENCE& seq) override
    {
        bool const deep = depth_ >= options_.maxDepth;
        ASN1::SEQUENCE::InfoType const& info = *seq.info();
        ASN1::SEQUENCE::BitMap& options = seq.optionMap();
        for (unsigned i = 0; i < options.size(); ++i) {
            if (!deep && below(2) && allows(info, fieldOfOption(info, i)))
                options.set(i);
            else
                options.clear(i);
        }
        ASN1::SEQUENCE::BitMap& extensions = seq.extensionMap();
        extensions.resize(0);
        if (!deep && info.extendable && below(2)) {
            extensions.resize(info.knownExtensions);
            for (unsigned i = 0; i < extensions.size(); ++i)
                if (below(2) && allows(info, info.numFields + i))
                    extensions.set(i);
        }
        return CONTINUE;
    }

    VisitSeqResult visitExtensionRoot(ASN1::SEQUENCE& seq, int index, int optionNumber) override
    {
        return fillField(seq, index, optionNumber);
    }

    VisitSeqResult visitKnownExtension(ASN1::SEQUENCE& seq, int index, int optionNumber) override
    {
        return fillField(seq, index, optionNumber);
    }

private:
    VisitSeqResult fillField(ASN1::SEQUENCE& seq, int index, int optionNumber)
    {
        if (optionNumber >= 0 && !seq.hasOptionalField(static_cast<unsigned>(optionNumber)))
            return CONTINUE;
        ASN1::AbstractData* field = seq.makeField(static_cast<unsigned>(index));
        return field != nullptr && fill(*field) ? CONTINUE : FAIL;
    }

    bool allows(ASN1::SEQUENCE::InfoType const& info, unsigned field) const
    {
        return !options_.weight || options_.weight(&info, field) > 0;
    }
    static unsigned fieldOfOption(ASN1::SEQUENCE::InfoType const& info, unsigned option)
    {
        unsigned field = 0;
        while (field < info.numFields && info.ids[field] != static_cast<int>(option))
            ++field;
        return field;
    }

    unsigned below(unsigned n) { return n == 0 ? 0 : static_cast<unsigned>(random_() % n); }
    // 0..range, range being ub - lb (the whole 32-bit range when it is 0xFFFFFFFF).
    unsigned inRange(unsigned range)
    {
        if (range == 0xFFFFFFFFu)
            return static_cast<unsigned>(random_());
        // Bounds and their neighbours are where coding goes wrong.
        switch (below(4)) {
        case 0: return 0;
        case 1: return range;
        default: return static_cast<unsigned>((static_cast<unsigned long long>(random_()) * (range + 1ULL)) >> 32);
        }
    }
    int anyInteger()
    {
        static int const edges[] = {0, 1, -1, 127, 128, -128, -129, 255, 256, 32767, -32768, 65535,
                                    8388607, -8388608, 2147483647, -2147483647 - 1};
        if (below(2))
            return edges[below(sizeof edges / sizeof edges[0])];
        return static_cast<int>(random_()) >> below(32);
    }
    unsigned length(ASN1::ConstrainedObject const& value)
    {
        auto const& info = *value.info();
        unsigned const lb = static_cast<unsigned>(info.lowerLimit);
        if (info.type == ASN1::FixedConstraint)
            return lb + inRange(info.upperLimit - lb);
        if (info.type == ASN1::ExtendableConstraint && below(4) != 0)
            return lb + inRange(info.upperLimit - lb);
        if (options_.longLengthOneIn && below(options_.longLengthOneIn) == 0)
            return 128 + below(173);
        return below(options_.maxLength + 1);
    }

    std::mt19937& random_;
    RandomOptions options_;
    int depth_ = 0;
};

} // namespace

void fillRandom(ASN1::AbstractData& value, std::mt19937& random, RandomOptions const& options)
{
    RandomFiller filler(random, options);
    filler.fill(value);
}

} // namespace PerFuzz
