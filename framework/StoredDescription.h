#pragma once
// Stored descriptions: the data a module class is built from.
//
// A description is an ordered list of property assignments for one class —
// plain values, enumeration members, sets, handler names and collections of
// items with assignments of their own. Loading applies them one by one, in
// stored order, through the same setters that run-time code calls, so a
// description behaves exactly like a sequence of assignments.
//
// Threads: the builders are [any-thread]; descriptions are registered while
// the library initialises its statics and only read afterwards.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessel {

struct TStoredProperty;

// One collection item: its own ordered assignments.
struct TStoredItem {
    std::vector<TStoredProperty> properties;
};

struct TStoredValue {
    enum class TKind { Boolean, Integer, Float, Text, Identifier, Set, Method, Collection };

    TKind kind = TKind::Integer;
    bool boolean = false;
    std::int64_t integer = 0;
    double number = 0.0;
    std::string text;                  // Text, Identifier (enumeration member) or Method (handler name)
    std::vector<std::string> members;  // Set
    std::vector<TStoredItem> items;    // Collection
};

struct TStoredProperty {
    std::string name;
    TStoredValue value;
};

struct TStoredDescription {
    std::string className;
    std::vector<TStoredProperty> properties;
};

// Builders that keep description tables short and readable.
namespace stored {
TStoredProperty Boolean(std::string name, bool value);
TStoredProperty Integer(std::string name, std::int64_t value);
TStoredProperty Float(std::string name, double value);
TStoredProperty Text(std::string name, std::string value);
TStoredProperty Ident(std::string name, std::string member);
TStoredProperty Set(std::string name, std::vector<std::string> members);
TStoredProperty Method(std::string name, std::string handlerName);
TStoredProperty Collection(std::string name, std::vector<TStoredItem> items);
}  // namespace stored

// The descriptions built into the library, looked up by class name.
class TStoredDescriptions {
public:
    // Adds or replaces the description of description.className; returns true
    // so that it can initialise a namespace-scope constant. [ui-thread]
    static bool Register(TStoredDescription description);
    // [any-thread] once the statics are initialised.
    static const TStoredDescription* Find(std::string_view className);
};

}  // namespace tessel
