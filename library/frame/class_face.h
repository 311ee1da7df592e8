#pragma once
// What a class face (library/<class>/<class>_object.cpp, the class as
// clients see it) is written with: the entries of its dispatch table and
// the helpers of its methods' bodies. A face says
// `using namespace frame::face;`.

#include "library/frame/com_object.h"
#include "platform/automation/dispatch_table.h"
#include "platform/automation/method_call.h"

namespace tlvx::library::frame::face {

using platform::automation::boolean;
using platform::automation::byRef;
using platform::automation::byVal;
using platform::automation::DispatchTable;
using platform::automation::hresultOf;
using platform::automation::method;
using platform::automation::Method;
using platform::automation::optRef;
using platform::automation::optVal;
using platform::automation::putText;
using platform::automation::text;
using platform::automation::wellFormed;

}  // namespace tlvx::library::frame::face
