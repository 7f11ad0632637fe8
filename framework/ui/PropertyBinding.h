#pragma once
// What a class does with the stream properties it takes. Each class lists only its own
// setters, name to setter, in a static PropertyBindings(); BindsProperties hands a property
// to the bases' setters first, down from PropertyTarget, then to the class's own. A name no
// class binds sets nothing. A binding is checked against the name
// table as it is compiled, so a class cannot bind a name no stream carries, nor take a value
// of another kind than the name's.
#include <cstdint>
#include <span>
#include <string_view>
#include <variant>

#include "framework/ui/PropertyStream.h"

namespace fw {

template <class Target>
class PropertyBinding {
 public:
  using IntSetter = void (*)(Target&, int32_t);
  using BoolSetter = void (*)(Target&, bool);
  using ColourSetter = void (*)(Target&, const Colour&);
  using TextSetter = void (*)(Target&, const String&);

  consteval PropertyBinding(std::string_view name, IntSetter set)
      : PropertyBinding(name, PropertyKind::Int32, set) {}
  consteval PropertyBinding(std::string_view name, BoolSetter set)
      : PropertyBinding(name, PropertyKind::Boolean, set) {}
  consteval PropertyBinding(std::string_view name, ColourSetter set)
      : PropertyBinding(name, PropertyKind::Colour, set) {}
  consteval PropertyBinding(std::string_view name, TextSetter set)
      : PropertyBinding(name, PropertyKind::Text, set) {}

  constexpr std::string_view Name() const { return name_; }

  // A value of another kind than the setter's can only come from a direct call, never from a
  // decoded stream; it changes nothing.
  void Apply(Target& target, const PropertyValue& value) const {
    std::visit(
        [&](auto set) {
          using Set = decltype(set);
          if constexpr (std::is_same_v<Set, IntSetter>)
            Call<int32_t>(set, target, value);
          else if constexpr (std::is_same_v<Set, BoolSetter>)
            Call<bool>(set, target, value);
          else if constexpr (std::is_same_v<Set, ColourSetter>)
            Call<Colour>(set, target, value);
          else
            Call<String>(set, target, value);
        },
        set_);
  }

 private:
  using Setter = std::variant<IntSetter, BoolSetter, ColourSetter, TextSetter>;

  consteval PropertyBinding(std::string_view name, PropertyKind kind, Setter set)
      : name_(name), set_(set) {
    const auto known = KindOfProperty(name);
    if (!known) throw "a bound property name is missing from kPropertyNames";
    if (kind != *known) throw "a property is bound to a setter of another value kind";
  }

  template <class Value, class Set>
  static void Call(Set set, Target& target, const PropertyValue& value) {
    if (const auto* v = std::get_if<Value>(&value)) set(target, *v);
  }

  std::string_view name_;
  Setter set_;
};

// Hands the property to the class's binding of its name, if it has one.
template <class Target>
void ApplyBoundProperty(std::span<const PropertyBinding<Target>> bindings, Target& target,
                        const Property& property) {
  for (const auto& binding : bindings) {
    if (binding.Name() == property.name) {
      binding.Apply(target, property.value);
      return;
    }
  }
}

// The base of a class that binds properties of its own: `class Label : public
// BindsProperties<Label, RectControl>`, with Label::PropertyBindings() listing Label's setters.
template <class Self, class Base>
class BindsProperties : public Base {
 public:
  // The class whose bindings (and its bases') a property meets before Self's.
  using PropertyBase = Base;

  void SetProperty(const Property& property) override {
    PropertyBase::SetProperty(property);
    ApplyBoundProperty(Self::PropertyBindings(), static_cast<Self&>(*this), property);
  }
};

}  // namespace fw
