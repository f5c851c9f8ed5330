// QORVAOptItemHandlerFactoryDrv: this printer's handler factory, one per document or printer
// sheet. It picks the driver's handler class of each item by key (factory_tables.h), makes the
// links of an item's controls when a page opens, makes the sheet's constraints, adapts the items
// to the printer, its port and the user's rights before the stored settings are read
// (PrepareItems) and corrects the selections afterwards (ApplyDefaults), and keeps the sheet's
// drawing session. Everything it makes lives on the sheet heap.
#pragma once

#include "couipluginext.h"
#include "items/handler_factory.h"
#include "session/ui_session.h"

// Constraint slots of a sheet.
inline constexpr DWORD kConstraintSlots = 64;

class QORVAOptItemHandlerFactoryDrv : public QORVAOptItemHandlerFactory {
public:
    QORVAOptItemHandlerFactoryDrv(POEMCUIPPARAM record, CoUIPluginExt* extension, IPrintOemDriverUI* driverUI,
                                  void* settings);
    ~QORVAOptItemHandlerFactoryDrv() override;

    QORVAOptItemHandler* CreateHandler(POPTITEM item) override;
    void CreateDlgLink(HWND dialog, QORVAOptItemHandler* handler) override;
    void CreateConstraints() override;
    void ApplyDefaults() override;
    void PrepareItems() override;
    LRESULT InitDialog(HWND dialog) override;

    // A help bubble of kind 1 or 2 for the control; null when the control is missing or already
    // carries a link.
    QORVAOptItemDlgLink* CreateBubbleLink(HWND dialog, QORVAOptItemHandler* handler, DWORD controlId, DWORD kind);

    // The sheet's access state and read-only flag, as the sheet's access test found them. The sheet
    // hands them over before the items are prepared; a factory whose sheet has not tested keeps
    // what it was given.
    void TakeSheetAccess();
    void SetSheetAccess(DWORD accessState, DWORD readOnly) {
        m_accessState = accessState;
        m_readOnly = readOnly;
    }
    DWORD AccessState() const { return m_accessState; }
    DWORD ReadOnly() const { return m_readOnly; }

    QORVAUISession* Session() const { return m_session; }
    QORVAOptItemNotify* Constraint(DWORD slot) const { return slot < kConstraintSlots ? m_constraints[slot] : nullptr; }

    // The drawing session's configuration: the sheet mode, the logo bitmaps, the help-bubble
    // pictures for the screen's vertical resolution (dotsPerInch 0: no screen), the preview's
    // pictograms and cursor and its caption strings.
    static void FillSessionConfig(DWORD sheetMode, int dotsPerInch, DWORD (&words)[kSessionConfigWords]);
    // LOGPIXELSY of the screen's device context, 0 when there is none.
    static int ScreenDotsPerInch();

private:
    // The handler of a key, made as a default handler when the sheet has none (null only when the
    // heap refuses).
    QORVAOptItemHandler* Handler(DWORD key) { return GetHandler(key); }
    // The address edit of the get-configuration popup: the typed or stored printer address.
    void PutAddressText(HWND dialog);

    // PrepareItems' steps (item_preparation.cpp); a false answer ends the preparation.
    bool PrepareDeviceRecordStep();
    void PreparePaperSource();
    void PreparePaperSize();
    void PrepareMediaType();
    void PrepareCopies();
    void PrepareScaleToPaper();
    void PrepareWatermarkFont();
    void PrepareTrayPaperSizes();
    void PrepareDeviceOption();
    void PrepareDuplex();
    // Ends the preparation when the printer's port cannot be read.
    void PreparePortAndRights();
    void PrepareElevation();
    // A private OPTITEM and OPTTYPE for the handler, into which the sheet item's list is copied
    // from a device capability. FALSE when the heap refuses or the handler has no item.
    BOOL CloneOwnList(QORVAOptItemHandler* handler, WORD idCapability, WORD nameCapability, DWORD nameWidth,
                      LONG firstValue);
    // Names an option by a string of the resource library (kept on the resource object's heap).
    void NameOption(QORVAOptItemHandler* handler, LONG index, DWORD stringId);

    // ApplyDefaults' parts (item_preparation_defaults.cpp).
    void ApplyPrinterSheetDefaults();
    void ApplyPaperSizeDefault();
    void ApplyScaleToPaperDefault();
    void ApplyTrayDefaults();

    QORVAUISession* m_session = nullptr;
    QORVAOptItemNotify* m_constraints[kConstraintSlots] = {};
    DWORD m_accessState = 0;
    DWORD m_readOnly = 0;
};
