// The PrintCapabilities trim (the provider's completion hook): paper sources down to automatic
// selection, media types down to plain paper, the contiguous N-up feature emptied, and user forms
// that are not the driver's own custom media taken out of the media sizes.
#pragma once

#include <win/msxml2.h>
#include <win/windows.h>

// The hook: ticket (unused), capabilities document, the binding's printer. E_NOTIMPL without a
// document; otherwise the answer of listing the features (S_OK normally). A failure inside a
// feature's trim is not reported: the document keeps what was not yet removed.
HRESULT TrimPrintCapabilities(IXMLDOMDocument2* ticket, IXMLDOMDocument2* capabilities, HANDLE printer);

// Removes every child of the feature, last to first, whose "name" differs (ignoring case) from
// kept. Stops at the first child without a "name" and at the first removal that fails.
HRESULT KeepOnlyOption(IXMLDOMNode* feature, const WCHAR* kept);

// Removes the user-form options ("ns0000:UserForm" and the form's index) whose form is not a user
// form of the printer marked 1 under the "CUSTOMMEDIA" printer-data key. An option whose index is
// -1, is not a number or has no form stays.
HRESULT RemoveForeignUserForms(IXMLDOMNode* feature, HANDLE printer);
