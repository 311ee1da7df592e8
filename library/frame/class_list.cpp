#include "library/frame/class_list.h"

#include "library/api_funs/api_funs_object.h"
#include "library/base64/base64_object.h"
#include "library/frame/class_factory.h"
#include "library/gen_funs/gen_funs_object.h"
#include "library/registry/registry_object.h"
#include "library/txt_file/txt_file_object.h"

namespace tlvx::library::frame {
namespace {

constinit ClassFactory genFunsFactory(&GenFunsObject::create);
constinit ClassFactory apiFunsFactory(&APIFunsObject::create);
constinit ClassFactory txtFileFactory(&TxtFileObject::create);
constinit ClassFactory base64Factory(&Base64Object::create);
constinit ClassFactory registryFactory(&RegistryObject::create);

constinit const ComponentClass kClasses[] = {
    {u"GenFuns", &CLSID_GenFuns, u"_GenFuns", &IID__GenFuns, &genFunsFactory},
    {u"APIFuns", &CLSID_APIFuns, u"_APIFuns", &IID__APIFuns, &apiFunsFactory},
    {u"TxtFile", &CLSID_TxtFile, u"_TxtFile", &IID__TxtFile, &txtFileFactory},
    {u"Base64", &CLSID_Base64, u"_Base64", &IID__Base64, &base64Factory},
    {u"Registry", &CLSID_Registry, u"_Registry", &IID__Registry, &registryFactory},
};

}  // namespace

std::span<const ComponentClass> componentClasses() noexcept {
    return kClasses;
}

const ComponentClass* findClass(REFCLSID clsid) noexcept {
    for (const ComponentClass& c : kClasses) {
        if (*c.clsid == clsid) return &c;
    }
    return nullptr;
}

}  // namespace tlvx::library::frame
