// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include "vba_expression.h"

#include <QString>
#include <QStringList>
#include <QStringView>
#include <array>
#include <optional>
#include <vector>

// Whose rules lay the members out.
enum class LayoutRules {
    Vba,       // VBA in memory: what LenB counts, fixed-length strings two bytes a character
    VbaPassed, // VBA's copy for a Declare call: fixed-length strings one byte a character
    C,         // the Windows C ABI with natural alignment and 8-byte packing
};

// A record type's or an Enum's body as stored.
struct TypeBody
{
    QStringList members;
    bool isEnum = false;
};

// Where the calculator finds what a type uses. Each answer is the variant the host
// compiles: of a type declared under #If Win64 and #Else, the branch that host takes.
class LayoutResolver
{
public:
    virtual ~LayoutResolver() = default;
    virtual std::optional<TypeBody> typeBody(QStringView name, Host host) = 0;
    virtual std::optional<qint64> constantValue(QStringView name, Host host) = 0;
};

// Why a host gets no layout.
enum class LayoutProblemKind {
    NotOnHost,      // no variant of the type is compiled on this host
    IsEnum,         // an Enum is a Long, not a record
    NoMembers,      // a record type needs one member
    UnknownType,    // word: the type no declaration and no built-in type names
    AnyType,        // As Any stands only in a Declare
    DecimalType,    // Decimal is a Variant subtype, never a declared one
    LongLongOn32,   // LongLong is declared only on 64-bit hosts
    UnresolvedName, // word: a name in a bound or a length that is no known constant
    BadBound,       // word: a bound or length that is no integer, or gives no elements
    Unreadable,     // word: a line of the body that is no member
    BadCondition,   // word: an #If inside the body that cannot be read
    Recursive,      // word: a type that holds itself
    TooDeep,        // word: the type nested deeper than any declaration needs
    TooLarge,       // more than 2 GB
};

struct LayoutProblem
{
    LayoutProblemKind kind = LayoutProblemKind::NotOnHost;
    QString inType; // the type whose body has it: the one laid out or one it holds
    QString member;
    QString word;
};

struct MemberLayout
{
    QString name;
    QString typeText; // "Long", "String * 128", "FILETIME", with "(0 To 7)" for an array
    QString baseType; // the type's name as written, "String" for both string forms
    bool fixedString = false;
    bool array = false;
    qint64 offset = 0;
    qint64 size = 0; // all elements
    qint64 align = 1;
    qint64 padding = 0; // before the member
    qint64 len = 0;     // what Len counts for it
};

struct TypeLayout
{
    std::optional<LayoutProblem> problem; // set: no layout
    std::vector<MemberLayout> members;
    qint64 size = 0; // LenB for VBA in memory, sizeof for C
    qint64 align = 1;
    qint64 trailing = 0; // padding after the last member
    qint64 len = 0;      // Len: the members without padding, fixed-length strings a byte a character
};

TypeLayout layOutType(QStringView name, Host host, LayoutRules rules, LayoutResolver& resolver);

enum class LayoutWarningKind {
    NoLayout,      // problem: the host cannot lay the type out
    OffsetDiffers, // member: VBA passes it at vba, C reads it at c
    SizeDiffers,   // VBA passes vba bytes, C expects c
    PointerInLong, // member: a Long whose name says pointer or handle, in a type written for 64-bit
    StringMember,  // member: a String is passed as a pointer
};

struct LayoutWarning
{
    LayoutWarningKind kind = LayoutWarningKind::NoLayout;
    Host host = Host::Bits32; // for NoLayout, OffsetDiffers and SizeDiffers
    QString member;
    qint64 vba = 0;
    qint64 c = 0;
    LayoutProblem problem;
};

struct HostLayouts
{
    TypeLayout vba;
    TypeLayout c;
};

// Both hosts of one type, with every warning about what VBA and C disagree on.
struct LayoutReport
{
    QString name;
    std::array<HostLayouts, 2> hosts; // Bits32, Bits64
    std::vector<LayoutWarning> warnings;
};

LayoutReport layoutReport(QStringView name, LayoutResolver& resolver);

inline size_t hostIndex(Host host)
{
    return host == Host::Bits32 ? 0 : 1;
}
