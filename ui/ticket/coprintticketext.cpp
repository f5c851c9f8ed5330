// CoPrintTicketExt's life and fields.
#include "ticket/coprintticketext.h"

CoPrintTicketExt::~CoPrintTicketExt() {
    if (m_root) m_root->Release();
    for (BSTR& prefix : m_prefixes) SysFreeString(prefix);
    if (m_helper) m_helper->Release();
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
