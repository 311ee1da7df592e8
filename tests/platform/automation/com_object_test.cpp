// The shared COM object: one count for all the interfaces of an object,
// QueryInterface that gives one IUnknown whichever interface is asked, the
// life policies, and IDispatch served by the table or by the object's own
// hooks.

#include <gtest/gtest.h>

#include "include/tallyvex/ole_types.h"
#include "platform/automation/com_object.h"

namespace {

using namespace tlvx::platform::automation;

int objectsAlive = 0;

// Two interfaces besides IUnknown, each with its own IUnknown part.
class TwoFaced final
    : public ComObject<TwoFaced, HeapLife,
                       Answers<ICreateErrorInfo, IID_IUnknown, IID_ICreateErrorInfo>,
                       Answers<IErrorInfo, IID_IErrorInfo>> {
public:
    TwoFaced() { ++objectsAlive; }
    ~TwoFaced() { --objectsAlive; }

    HRESULT GetGUID(GUID*) noexcept override { return E_NOTIMPL; }
    HRESULT GetSource(BSTR*) noexcept override { return E_NOTIMPL; }
    HRESULT GetDescription(BSTR*) noexcept override { return E_NOTIMPL; }
    HRESULT GetHelpFile(BSTR*) noexcept override { return E_NOTIMPL; }
    HRESULT GetHelpContext(DWORD*) noexcept override { return E_NOTIMPL; }
    HRESULT SetGUID(REFGUID) noexcept override { return E_NOTIMPL; }
    HRESULT SetSource(LPOLESTR) noexcept override { return E_NOTIMPL; }
    HRESULT SetDescription(LPOLESTR) noexcept override { return E_NOTIMPL; }
    HRESULT SetHelpFile(LPOLESTR) noexcept override { return E_NOTIMPL; }
    HRESULT SetHelpContext(DWORD) noexcept override { return E_NOTIMPL; }
};

IUnknown* unknownOf(IUnknown* object) {
    void* unknown = nullptr;
    EXPECT_EQ(object->QueryInterface(IID_IUnknown, &unknown), S_OK);
    return static_cast<IUnknown*>(unknown);
}

TEST(ComObject, EveryInterfaceGivesTheSameUnknownAndSharesOneCount) {
    void* created = nullptr;
    ASSERT_EQ(TwoFaced::create(IID_IErrorInfo, &created), S_OK);
    auto* info = static_cast<IErrorInfo*>(created);
    void* other = nullptr;
    ASSERT_EQ(info->QueryInterface(IID_ICreateErrorInfo, &other), S_OK);
    auto* create = static_cast<ICreateErrorInfo*>(other);
    EXPECT_NE(static_cast<void*>(create), static_cast<void*>(info));

    IUnknown* fromInfo = unknownOf(info);
    IUnknown* fromCreate = unknownOf(create);
    EXPECT_EQ(fromInfo, fromCreate);
    // info, create, fromInfo, fromCreate and this one.
    EXPECT_EQ(create->AddRef(), 5u);
    EXPECT_EQ(info->Release(), 4u);
    fromInfo->Release();
    fromCreate->Release();
    create->Release();
    EXPECT_EQ(objectsAlive, 1);
    // The last reference, through the interface the object was not made
    // with, ends it.
    EXPECT_EQ(info->Release(), 0u);
    EXPECT_EQ(objectsAlive, 0);
}

TEST(ComObject, RefusesWhatItDoesNotAnswer) {
    void* created = nullptr;
    ASSERT_EQ(TwoFaced::create(IID_IUnknown, &created), S_OK);
    auto* object = static_cast<IUnknown*>(created);
    struct Case {
        const IID& iid;
        HRESULT expected;
    };
    const Case cases[] = {
        {IID_IDispatch, E_NOINTERFACE},
        {IID_IClassFactory, E_NOINTERFACE},
        {IID_IErrorInfo, S_OK},
    };
    for (const Case& c : cases) {
        void* answer = &created;  // not null, to see it cleared
        EXPECT_EQ(object->QueryInterface(c.iid, &answer), c.expected);
        EXPECT_EQ(answer != nullptr, c.expected == S_OK);
        if (answer) static_cast<IUnknown*>(answer)->Release();
    }
    EXPECT_EQ(object->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
    void* none = &created;
    EXPECT_EQ(TwoFaced::create(IID_IDispatch, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(object->Release(), 0u);
    EXPECT_EQ(objectsAlive, 0);  // the refused one did not stay either
}

// A static object whose references count elsewhere too.
int countedReferences = 0;
struct CountedProcessLife : ProcessLife {
    static void referenceAdded() noexcept { ++countedReferences; }
    static void referenceReleased() noexcept { --countedReferences; }
};

class StaticObject final
    : public ComObject<StaticObject, CountedProcessLife, Answers<IUnknown, IID_IUnknown>> {};

TEST(ComObject, AStaticObjectOutlivesItsReferencesAndReportsEachOne) {
    static StaticObject object;
    void* first = nullptr;
    void* second = nullptr;
    ASSERT_EQ(object.QueryInterface(IID_IUnknown, &first), S_OK);
    ASSERT_EQ(object.QueryInterface(IID_IUnknown, &second), S_OK);
    EXPECT_EQ(countedReferences, 2);
    static_cast<IUnknown*>(first)->Release();
    EXPECT_EQ(static_cast<IUnknown*>(second)->Release(), 1u);  // the process's own
    EXPECT_EQ(countedReferences, 0);
    // Still there, and still answering.
    EXPECT_EQ(object.AddRef(), 2u);
    EXPECT_EQ(object.Release(), 1u);
}

// IDispatch over a table, and over hooks of the object's own.
class ITwice : public IDispatch {
public:
    virtual HRESULT Doubled(LONG value, LONG* result) noexcept = 0;

protected:
    ~ITwice() = default;
};
constexpr IID IID_ITwice = {0x7e3b1a52, 0x0c4d, 0x4e0f, {1, 2, 3, 4, 5, 6, 7, 8}};

constexpr Method kTwiceTable[] = {
    method<&ITwice::Doubled>(u"Twice", 0, VT_I4, {byVal(u"Value", VT_I4)}),
};

class Twice final
    : public DispatchObject<Twice, HeapLife,
                            Answers<ITwice, IID_IUnknown, IID_IDispatch, IID_ITwice>> {
public:
    static constexpr DispatchTable dispatchTable = kTwiceTable;
    HRESULT Doubled(LONG value, LONG* result) noexcept override {
        *result = 2 * value;
        return S_OK;
    }
};

// Names and calls answered by the object itself: every name is 7, every
// call gives the id back.
class SelfAnswering final : public DispatchObject<SelfAnswering, HeapLife,
                                                  Answers<IDispatch, IID_IUnknown, IID_IDispatch>> {
public:
    HRESULT memberIds(REFIID, LPOLESTR*, UINT count, DISPID* ids) noexcept {
        for (UINT i = 0; i < count; ++i) ids[i] = 7;
        return S_OK;
    }
    HRESULT invokeMember(DISPID id, REFIID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                         UINT*) noexcept {
        result->vt = VT_I4;
        result->lVal = id;
        return S_OK;
    }
};

template <class Object>
IDispatch* newDispatch() {
    void* created = nullptr;
    EXPECT_EQ(Object::create(IID_IDispatch, &created), S_OK);
    return static_cast<IDispatch*>(created);
}

TEST(DispatchObject, ServesTheTableOrTheObjectsOwnAnswers) {
    struct Case {
        IDispatch* object;
        DISPID expectedId;
        LONG expectedResult;  // Twice(21) through the table; the id otherwise
    };
    const Case cases[] = {
        {newDispatch<Twice>(), kFirstDispId, 42},
        {newDispatch<SelfAnswering>(), 7, 7},
    };
    for (const Case& c : cases) {
        UINT typeInfos = 1;
        EXPECT_EQ(c.object->GetTypeInfoCount(&typeInfos), S_OK);
        EXPECT_EQ(typeInfos, 0u);
        OLECHAR name[] = u"twice";
        LPOLESTR names[] = {name};
        DISPID id = DISPID_UNKNOWN;
        ASSERT_EQ(c.object->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
        EXPECT_EQ(id, c.expectedId);
        VARIANT argument;
        VariantInit(&argument);
        argument.vt = VT_I4;
        argument.lVal = 21;
        DISPPARAMS params{&argument, nullptr, 1, 0};
        VARIANT result;
        VariantInit(&result);
        ASSERT_EQ(
            c.object->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr, nullptr),
            S_OK);
        EXPECT_EQ(result.vt, VT_I4);
        EXPECT_EQ(result.lVal, c.expectedResult);
        EXPECT_EQ(c.object->Release(), 0u);
    }
}

}  // namespace
