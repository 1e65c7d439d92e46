#include "graphics/DataElement.h"

namespace zest
{

std::unique_ptr<DataElement> SingleDataElement::Duplicate() const
{
    return std::make_unique<SingleDataElement>(value);
}

std::unique_ptr<DataElement> ListDataElement::Duplicate() const
{
    auto copy = std::make_unique<ListDataElement>();
    copy->elements.reserve(elements.size());
    for (const auto& element : elements)
        copy->elements.push_back(element->Duplicate());
    return copy;
}

} // namespace zest
