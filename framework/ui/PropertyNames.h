#pragma once
// The names a layout property stream may carry, each with the value kind that fixes its width
// in the stream. The table is visible at compile time so that a class binding a name checks
// the name and its kind as it is built (PropertyBinding.h).
#include <array>
#include <optional>
#include <string_view>

namespace fw {

enum class PropertyKind { Int32, Boolean, Colour, Text };

struct PropertyName {
  std::string_view name;
  PropertyKind kind;
};

// Two names a row, kept as written.
// clang-format off
inline constexpr std::array<PropertyName, 58> kPropertyNames{{
    {"Placement", PropertyKind::Int32},        {"Width", PropertyKind::Int32},
    {"Height", PropertyKind::Int32},           {"MinWidth", PropertyKind::Int32},
    {"MinHeight", PropertyKind::Int32},        {"MaxWidth", PropertyKind::Int32},
    {"MaxHeight", PropertyKind::Int32},        {"Frame", PropertyKind::Int32},
    {"MacProcID", PropertyKind::Int32},        {"Mode", PropertyKind::Int32},
    {"Period", PropertyKind::Int32},           {"Left", PropertyKind::Int32},
    {"Top", PropertyKind::Int32},              {"Index", PropertyKind::Int32},
    {"TabPanelIndex", PropertyKind::Int32},    {"TabIndex", PropertyKind::Int32},
    {"ListIndex", PropertyKind::Int32},        {"TextAlign", PropertyKind::Int32},
    {"State", PropertyKind::Int32},            {"ButtonStyle", PropertyKind::Int32},

    {"Composite", PropertyKind::Boolean},      {"HasBackColor", PropertyKind::Boolean},
    {"Visible", PropertyKind::Boolean},        {"FullScreen", PropertyKind::Boolean},
    {"MenuBarVisible", PropertyKind::Boolean}, {"CloseButton", PropertyKind::Boolean},
    {"Resizeable", PropertyKind::Boolean},     {"LiveResize", PropertyKind::Boolean},
    {"MaximizeButton", PropertyKind::Boolean}, {"MinimizeButton", PropertyKind::Boolean},
    {"LockLeft", PropertyKind::Boolean},       {"LockTop", PropertyKind::Boolean},
    {"LockRight", PropertyKind::Boolean},      {"LockBottom", PropertyKind::Boolean},
    {"TabStop", PropertyKind::Boolean},        {"Enabled", PropertyKind::Boolean},
    {"AutoDeactivate", PropertyKind::Boolean}, {"Bold", PropertyKind::Boolean},
    {"Italic", PropertyKind::Boolean},         {"Underline", PropertyKind::Boolean},
    {"Multiline", PropertyKind::Boolean},      {"Selectable", PropertyKind::Boolean},
    {"Transparent", PropertyKind::Boolean},    {"Default", PropertyKind::Boolean},
    {"Cancel", PropertyKind::Boolean},         {"Value", PropertyKind::Boolean},

    {"BackColor", PropertyKind::Colour},       {"TextColor", PropertyKind::Colour},

    {"Name", PropertyKind::Text},              {"Title", PropertyKind::Text},
    {"Text", PropertyKind::Text},              {"Caption", PropertyKind::Text},
    {"InitialValue", PropertyKind::Text},      {"HelpTag", PropertyKind::Text},
    {"TextFont", PropertyKind::Text},          {"DataSource", PropertyKind::Text},
    {"DataField", PropertyKind::Text},         {"InitialParent", PropertyKind::Text},
}};
// clang-format on

// The value kind of a property name; nullopt for a name no stream may carry.
constexpr std::optional<PropertyKind> KindOfProperty(std::string_view name) {
  for (const auto& entry : kPropertyNames)
    if (entry.name == name) return entry.kind;
  return std::nullopt;
}

}  // namespace fw
