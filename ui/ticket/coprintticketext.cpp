// CoPrintTicketExt's life and fields.
#include "ticket/coprintticketext.h"

CoPrintTicketExt::~CoPrintTicketExt() {
    if (m_root) m_root->Release();
    for (BSTR& prefix : m_prefixes) SysFreeString(prefix);
    if (m_helper) m_helper->Release();
}

HRESULT CoPrintTicketExt::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (!IsEqualIID(riid, IID_IUnknown)) {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    *object = static_cast<IUnknown*>(this);
    AddRef();
    return S_OK;
}

ULONG CoPrintTicketExt::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&m_refCount));
}

ULONG CoPrintTicketExt::Release() {
    const LONG count = InterlockedDecrement(&m_refCount);
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
}

void CoPrintTicketExt::SetHelper(IUnknown* helper) {
    if (helper) helper->AddRef();
    if (m_helper) m_helper->Release();
    m_helper = helper;
}

void CoPrintTicketExt::SetPrefix(int which, BSTR prefix) {
    SysFreeString(m_prefixes[which]);
    m_prefixes[which] = prefix;
}

void CoPrintTicketExt::SetRoot(IXMLDOMElement* root) {
    if (root) root->AddRef();
    if (m_root) m_root->Release();
    m_root = root;
}
