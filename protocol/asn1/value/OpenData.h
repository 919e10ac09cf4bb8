#pragma once
// ASN.1 open types. OpenData holds a contained value (owned, may be null)
// and the raw octets of its encoding before they are decoded (owned, may be
// absent). TypeConstrainedOpenData is an open type whose contained type is
// fixed by its record; its value is made with it.
#include "protocol/asn1/value/AbstractData.h"

#include <memory>
#include <vector>

namespace ASN1 {

class OpenData : public AbstractData {
public:
    typedef AbstractData::InfoType InfoType;
    static InfoType const theInfo;

    explicit OpenData(InfoType const* info = &theInfo) : AbstractData(info) {}
    OpenData(OpenData const& other);
    OpenData& operator=(OpenData const& other);

    bool has_data() const { return data_ != nullptr; }
    bool has_buf() const { return buf_ != nullptr; }
    AbstractData* get_data() { return data_.get(); }
    AbstractData const* get_data() const { return data_.get(); }
    std::vector<char>* get_buf() { return buf_.get(); }
    std::vector<char> const* get_buf() const { return buf_.get(); }
    void set_data(std::unique_ptr<AbstractData> data) { data_ = std::move(data); }
    void set_buf(std::unique_ptr<std::vector<char>> buf) { buf_ = std::move(buf); }
    // The raw buffer, made empty when absent.
    std::vector<char>& make_buf();

    void swap(OpenData& other);

    bool isValid() const;
    bool isStrictlyValid() const;

private:
    int do_compare(AbstractData const& other) const override;
    AbstractData* do_clone() const override;
    bool do_accept(Visitor& visitor) override;
    bool do_accept(ConstVisitor& visitor) const override;

    std::unique_ptr<AbstractData> data_;
    std::unique_ptr<std::vector<char>> buf_;
};

class TypeConstrainedOpenData : public OpenData {
public:
    struct InfoType : OpenData::InfoType {
        AbstractData::InfoType const* containedInfo; // may be null
    };

    explicit TypeConstrainedOpenData(InfoType const* info);

    InfoType const* info() const { return static_cast<InfoType const*>(AbstractData::info()); }

private:
    AbstractData* do_clone() const override;
    bool do_accept(Visitor& visitor) override;
    bool do_accept(ConstVisitor& visitor) const override;
};

} // namespace ASN1
