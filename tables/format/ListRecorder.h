#pragma once
// Every change of a table's list, told as it is made: from iStart on, the
// values `removed` gave way to the values `inserted`. An editor's history
// that keeps these splices puts a list back by applying them in reverse, so
// it need not compare lists, and no command has to say what it changed.

#include <cstddef>
#include <cstdint>
#include <vector>

template <class Value> struct ListSplice
{
    std::int32_t iList = 0; // which list of the table, where it has several
    std::int32_t iStart = 0;
    std::vector<Value> removed;
    std::vector<Value> inserted;

    std::size_t Bytes() const
    {
        return sizeof(ListSplice) + (removed.capacity() + inserted.capacity()) * sizeof(Value);
    }
};

template <class Value> class ListRecorder
{
public:
    virtual void Spliced(ListSplice<Value> splice) = 0;

protected:
    ~ListRecorder() = default;
};
