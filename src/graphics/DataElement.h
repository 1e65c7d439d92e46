// Values of the font descriptor language: a single token (text as written, quotes included until
// unquoted) or an ordered list of owned values. Owned by the parser's definition map or by the command
// being handled; one thread at a time.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace zest
{

class DataElement
{
public:
    explicit DataElement(bool list) : isList(list) {}
    DataElement(const DataElement&) = delete;
    DataElement& operator=(const DataElement&) = delete;
    virtual ~DataElement() = default;

    // A deep copy.
    virtual std::unique_ptr<DataElement> Duplicate() const = 0;

    const bool isList;
};

class SingleDataElement : public DataElement
{
public:
    SingleDataElement() : DataElement(false) {}
    explicit SingleDataElement(std::string text) : DataElement(false), value(std::move(text)) {}

    std::unique_ptr<DataElement> Duplicate() const override;

    std::string value;
};

class ListDataElement : public DataElement
{
public:
    ListDataElement() : DataElement(true) {}

    std::unique_ptr<DataElement> Duplicate() const override;

    std::vector<std::unique_ptr<DataElement>> elements;
};

} // namespace zest
