// The compiled UI description read into the sheet: the sheet form and pages (UIPINFO with its
// SHEET rows) and the plug-in's option items, one per DOCUMENTFEATURE or PRINTERFEATURE row with
// its OPTION rows as options, each wrapped by a handler of the sheet's factory.
//
// Item from a feature row: cbSize 88, Level PROPLEVEL, Flags PROPVISIBLE | OPTIF_COLLAPSE |
// OPTIF_CALLBACK; DMPUBID (65535: the row's CONTROLID) v gives DMPubID v below 100, else
// UserItemID (v-100)/156 and DMPubID 100+(v-100)%156; the name from CONTROLTEXTID or CONTROLTEXT;
// the settings key (the first OPTION's VALUE text) in the keyword of the driver's UserData record.
// Option values of one or two bytes stand in lParam; larger ones are copied to the plug-in heap
// and lParam points to the copy (so that a value of 0x10000 or more is never taken for a value).
#pragma once

#include <win/compstui.h>
#include <win/prcomoem_ui.h>
#include <win/windows.h>

class CoUIPluginExt;

// A push button's record in its option 0's lParam: the sheet, the dialog it opens and that
// dialog's template (null when the resource library has none).
struct PushTargetRecord {
    CoUIPluginExt* m_sheet;
    DWORD m_dialogId;
    LPCDLGTEMPLATEW m_template;
};

// Reads the UIPINFO row of the sheet mode: UI type, PDL and driver flag where still 0, and for the
// kit's own pages its SHEET rows. S_OK also when no row is the sheet's.
HRESULT ReadUIPInfo(CoUIPluginExt* state);
// The counting call of CommonUIProp: the number of plug-in items into param->cOEMOptItems.
// E_NOTIMPL without a feature table, without rows, or for the document sheet in the platform's tree.
HRESULT CountSheetItems(CoUIPluginExt* state, POEMCUIPPARAM param);
// The filling call: the items, the callback, the printer sheet's settings object, the standard
// groups, the factory with one handler per item and its constraints, the tree's hidden items.
HRESULT BuildSheetItems(CoUIPluginExt* state, POEMCUIPPARAM param);
// The plug-in items from the feature rows; E_FAIL when a row cannot be made into an item.
HRESULT FillOptItems(CoUIPluginExt* state);
// The option type of one item from its OPTION rows (the feature row is the current one).
HRESULT BuildOptType(CoUIPluginExt* state, POPTITEM item, BYTE controlType);

// The item callbacks the plug-in installs for its items.
LONG APIENTRY DocumentCallback(CPSUICBPARAM* callback, OEMCUIPPARAM* param);
LONG APIENTRY PrinterCallback(CPSUICBPARAM* callback, OEMCUIPPARAM* param);
// The callback of a push button whose option opens a dialog of the sheet's pages.
LONG CALLBACK PushItemCallback(CPSUICBPARAM* callback);
