#pragma once
// Qt objects as automation objects: an IDispatch that answers by member
// name (without regard to letter case), the way a Basic program's forms and
// controls answer late-bound callers. Every call must come from the thread
// of the QApplication (else RPC_E_WRONG_THREAD); the object holds its
// QObject weakly (once it is destroyed, CO_E_OBJNOTCONNECTED).
//
// What an object offers depends on what it is (object_members.h lists the
// members); besides those, every Qt property of the object (declared or
// dynamic) is a member of its own name. Collections offer Count and Item(i),
// Item being the default member, so Buttons(1) is Buttons.Item(1); a
// member that gives a collection takes Item's arguments too.

#include <QString>

#include <memory>
#include <optional>
#include <vector>

#include "include/tallyvex/ole_types.h"

class QObject;

namespace tlvx::desktop {

// What one automation object stands for.
class BridgeNode {
public:
    virtual ~BridgeNode() = default;
    // False once the Qt object behind it is gone.
    virtual bool alive() const = 0;
    // The id of a member of this name (letter case ignored); nullopt when
    // the object has no such member.
    virtual std::optional<DISPID> memberId(const QString& name) = 0;
    // Reads member `id` with `args` (in call order) into `result` (empty on
    // entry).
    virtual HRESULT get(DISPID id, const std::vector<VARIANT>& args, VARIANT& result) = 0;
    virtual HRESULT put(DISPID id, const VARIANT& value) = 0;
    // Whether the object is of the kind `iid` names
    // (platform/automation/control_kinds.h).
    virtual bool isKind(REFIID) const { return false; }
};

// A new automation object for `node`, with one reference for the caller.
IDispatch* newBridgeObject(std::unique_ptr<BridgeNode> node);

// The automation object of `object` (null for null), with one reference.
IDispatch* dispatchOf(QObject* object);

// Values between Qt and automation variants.
HRESULT putText(VARIANT& result, const QString& text);
void putNumber(VARIANT& result, qint32 number);
void putBoolean(VARIANT& result, bool value);
void putObject(VARIANT& result, IDispatch* object);  // takes over the reference
std::optional<QString> textOf(const VARIANT& value);
std::optional<qint32> numberOf(const VARIANT& value);
std::optional<bool> booleanOf(const VARIANT& value);

}  // namespace tlvx::desktop
