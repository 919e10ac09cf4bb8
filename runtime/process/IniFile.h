#pragma once
// The in-memory tree of the configuration file and the parser that fills it.
//
// A File owns its Sections; a Section owns one SubSection per block opened
// by a "[name]" header (a section name may repeat); a SubSection owns its
// Keys; a Key owns one SubKey per occurrence of the key in the block. Every
// level keeps its children in order of first appearance, and the lookups
// (File::operator[], SubSection::operator[]) create what they do not find,
// so a component can always ask for its section and keys. The parser never
// fails and prints nothing: lines it cannot use are dropped. Checking a
// block against what a component expects is IniFile::Reader's job.
#include "runtime/base/F_dual_list.h"

#include <iosfwd>
#include <map>
#include <string>

namespace IniFile {

namespace Private {

// The children of one level of the tree: owned, in order of first
// appearance, and reachable by name when T has one.
template <class T>
class OwnedList : public F_dual_list<T> {
public:
    OwnedList() = default;
    ~OwnedList() { clean(); }

    T* add(T* item)
    {
        this->push_back(item);
        return item;
    }
    void clean()
    {
        while (T* item = this->remove_from_head())
            delete item;
    }
};

template <class T>
class NamedList : public OwnedList<T> {
public:
    // The child of that name; a missing one is added.
    T& find(std::string const& name)
    {
        auto found = byName_.find(name);
        return found != byName_.end() ? *found->second : *add(name);
    }
    T* add(std::string const& name)
    {
        T* item = OwnedList<T>::add(new T(name));
        byName_[name] = item;
        return item;
    }
    void clean()
    {
        byName_.clear();
        OwnedList<T>::clean();
    }

private:
    std::map<std::string, T*> byName_;
};

} // namespace Private

// Walks one level of the tree from its first element; the end is null.
template <class T>
class GenericIterator {
public:
    explicit GenericIterator(T* element = nullptr) : element_(element) {}
    T& operator*() const { return *element_; }
    T* operator->() const { return element_; }
    GenericIterator& operator++() { element_ = element_->next(); return *this; }
    GenericIterator operator++(int) { GenericIterator was = *this; ++*this; return was; }
    bool operator!=(GenericIterator const& other) const { return element_ != other.element_; }
    bool operator==(GenericIterator const& other) const { return element_ == other.element_; }

private:
    T* element_;
};

// One occurrence of a key: its value as the parser kept it and its line.
class SubKey : public F_dual_list_item<SubKey> {
public:
    SubKey(std::string const& value, int line);

    std::string const& Value() const { return value_; }
    int Line() const { return line_; }

    // Typed access, exact and case-sensitive. GetBool takes "true", "yes",
    // "1", "on" and "false", "no", "0", "off"; anything else gives def.
    bool GetBool(bool def) const;
    void SetBool(bool value);
    // A leading decimal number ("12abc" gives 12); no number gives def.
    int GetInt(int def) const;
    void SetInt(int value);
    float GetFloat(float def) const;
    void SetFloat(float value);

    void Dump(std::ostream& out) const;

private:
    std::string value_;
    int line_;
};

class Key : public F_dual_list_item<Key> {
public:
    explicit Key(std::string const& name);
    Key(Key const&) = delete;
    Key& operator=(Key const&) = delete;

    std::string const& Name() const { return name_; }
    int Count() const { return static_cast<int>(subKeys_.size()); }
    SubKey* First() const { return subKeys_.first(); }
    SubKey* Last() const { return subKeys_.last(); }
    GenericIterator<SubKey> begin() const { return GenericIterator<SubKey>(First()); }
    GenericIterator<SubKey> end() const { return GenericIterator<SubKey>(); }

    SubKey* NewSubKey(std::string const& value, int line);
    void CleanSubKeys();
    // Adds the sub-key "" with line -1 when the key has none.
    void CheckEmpty();
    void Dump(std::ostream& out) const;

private:
    std::string name_;
    Private::OwnedList<SubKey> subKeys_;
};

// One block of a section: the keys between its header and the next one.
class SubSection : public F_dual_list_item<SubSection> {
public:
    explicit SubSection(int line);
    SubSection(SubSection const&) = delete;
    SubSection& operator=(SubSection const&) = delete;

    // The line of the block's header, from 1; -1 for a made-up block.
    int Line() const { return line_; }
    int Count() const { return static_cast<int>(keys_.size()); }
    Key* First() const { return keys_.first(); }
    Key* Last() const { return keys_.last(); }
    GenericIterator<Key> begin() const { return GenericIterator<Key>(First()); }
    GenericIterator<Key> end() const { return GenericIterator<Key>(); }

    // The key of that name; a missing one is added with no sub-keys.
    Key& operator[](std::string const& name);
    Key* NewKey(std::string const& name);
    SubKey* NewSubKey(std::string const& key, std::string const& value, int line);
    void CleanKeys();
    void Dump(std::ostream& out) const;

private:
    int line_;
    Private::NamedList<Key> keys_;
};

class Section : public F_dual_list_item<Section> {
public:
    explicit Section(std::string const& name);
    Section(Section const&) = delete;
    Section& operator=(Section const&) = delete;

    std::string const& Name() const { return name_; }
    int Count() const { return static_cast<int>(subSections_.size()); }
    SubSection* First() const { return subSections_.first(); }
    SubSection* Last() const { return subSections_.last(); }
    GenericIterator<SubSection> begin() const { return GenericIterator<SubSection>(First()); }
    GenericIterator<SubSection> end() const { return GenericIterator<SubSection>(); }

    SubSection* NewSubSection(int line);
    void CleanSubSections();
    // Adds one block with line -1 when the section has none.
    void CheckEmpty();
    void Dump(std::ostream& out) const;

private:
    std::string name_;
    Private::OwnedList<SubSection> subSections_;
};

class File {
public:
    File();
    explicit File(std::string const& name);
    File(File const&) = delete;
    File& operator=(File const&) = delete;

    // Replaces the tree with the file's content. True when the file could
    // be opened, whatever it holds; false leaves the tree empty.
    bool Open(std::string const& name);
    void Close();
    // The tree is never written back.
    void Sync() {}

    std::string const& Name() const { return name_; }
    bool IsOpen() const { return open_; }
    int Count() const { return static_cast<int>(sections_.size()); }
    Section* First() const { return sections_.first(); }
    Section* Last() const { return sections_.last(); }
    GenericIterator<Section> begin() const { return GenericIterator<Section>(First()); }
    GenericIterator<Section> end() const { return GenericIterator<Section>(); }

    // The section of that name; a missing one is added with no blocks.
    Section& operator[](std::string const& name);
    Section* NewSection(std::string const& name);
    SubSection* NewSubSection(std::string const& name, int line);
    void CleanSections();
    void Dump(std::ostream& out) const;

    friend std::istream& operator>>(std::istream& in, File& file);

private:
    void ParseStream(std::istream& in);

    std::string name_;
    bool open_ = false;
    Private::NamedList<Section> sections_;
};

// Replaces the tree with what the stream holds; the file name becomes "".
std::istream& operator>>(std::istream& in, File& file);

} // namespace IniFile
