// Thrown by the resource manager's Require lookups when a resource is missing; carries the
// manager's error text at the time. Caught by the identifier binding (and the loading thread).
#pragma once

#include <stdexcept>
#include <string>

namespace zest
{

class ResourceManagerException : public std::runtime_error
{
public:
    explicit ResourceManagerException(const std::string& text) : std::runtime_error(text) {}
};

} // namespace zest
