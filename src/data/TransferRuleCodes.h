#pragma once

#include "runtime/Variant.h"

#include <QtGlobal>
#include <array>

// What a transfer rule stores in Action and TransferType, and what its type list shows for them.

// Action: what a call meets while the rule is on.
namespace TransferAction {
constexpr qint16 SendToGreeting = 0;
constexpr qint16 RingPhone = 1;
} // namespace TransferAction

// TransferType: how the phone is rung.
namespace TransferType {
constexpr qint16 Release = 0;
constexpr qint16 Supervised = 1;
} // namespace TransferType

// The type a stored TransferType shows as: release for 0 only; any other value, Null included,
// shows as supervised.
qint16 shownTransferType(const Variant& stored);

// The type lists' entries, in the lists' order (which does not follow the codes); each entry
// carries its code, which is what the editors read.
struct TransferTypeEntry {
    qint16 code;
    const char* text;
};
inline constexpr std::array<TransferTypeEntry, 2> TransferTypeEntries = {{
    {TransferType::Supervised, "Supervised"},
    {TransferType::Release, "Release"},
}};
