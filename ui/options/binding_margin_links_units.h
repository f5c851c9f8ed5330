// What the binding-margin and custom-size boxes (and the document pages' summaries of the margin)
// share: lengths are held in hundredths of a
// millimetre and shown in millimetres or inches by the units item (17250: 1 millimetres, anything
// else inches). A number box rewrites itself when the unit changes and takes what was typed when
// the focus leaves, but only when its text was edited: a shown value is rounded, and reading it
// back would otherwise move the stored length. Its arrows step on the grid of the unit shown.
#pragma once

#include "items/dlglink_edit.h"
#include "items/dlglink_range.h"

inline constexpr DWORD kUnitsItem = 17250;
inline constexpr LONG_PTR kUnitMillimetres = 1;
inline constexpr double kHundredthsPerInch = 2540.0;

// Whether the units item says millimetres.
bool ShowsMillimetres(QORVAOptItemNotify* reader);
// The name of a unit ("mm" or the word for inches) from the resources of the reader's sheet.
void LoadUnitName(QORVAOptItemNotify* reader, bool millimetres, LPWSTR name, DWORD chars);
// A binding margin (hundredths of a millimetre) as shown: whole millimetres, rounded; inches,
// truncated to hundredths.
LONG MarginMillimetres(LONGLONG length);
double MarginInches(LONGLONG length);

// The number in a box's text (at most 7 characters, spaces around it allowed); FALSE when the
// text is not a number.
BOOL ReadBoxDecimal(HWND box, double* number);
// A length computed in floating point as a stored value: truncated toward zero and held within
// the 32-bit range (a huge or infinite text must not wrap into a small length). FALSE for NaN.
BOOL ToStoredLength(double value, LONG* length);
// The step of the up-down arrows on a millimetre grid of grid hundredths of a millimetre: from the
// grid line below value less half a grid; a step up (iDelta <= 0) shorter than a grid reaches
// upReach from that line instead. value in hundredths of a millimetre.
LONG MillimetreStep(LONG value, int iDelta, LONG grid, LONG upReach);
// The step of the up-down arrows in inches: to the next tenth of an inch each way, 254 from an exact
// tenth. value in hundredths of a millimetre; iDelta > 0 steps down.
LONG InchStep(LONG value, int iDelta);

// A number box of a length: watches the units item and writes itself again when it changes.
class QVOptItemDlgLinkUDArrowNumberLength : public QORVAOptItemDlgLinkUDArrowNumber {
public:
    QVOptItemDlgLinkUDArrowNumberLength(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId);
    // The unit changed: the length is shown again.
    DWORD Notify(DWORD id, WORD code, DWORD depth) override;
    // The length as its unit shows it, then enabled, shown and the chain as every link.
    void UpdateControl(QORVAOptItemDlgLink* source) override;
    // Leaving the box: an edited text is read into the item; the chain is refreshed.
    void Commit() override;

protected:
    bool Millimetres();
    LONG Length();
    // The item's range from its option 1 (minimum its icon id, maximum its parameter), each times
    // scale.
    void TakeBoundsOfOption1(LONG scale);
    // Writes the length into the box in the unit shown (m_updating is set meanwhile).
    virtual void ShowLength(LONG length, bool millimetres) = 0;
    // Reads the edited box into the item.
    virtual void ReadLength(bool millimetres) = 0;
    // Puts text into the box and remembers it as the shown text.
    void Show(LPCWSTR text);

    static constexpr int kShownChars = 16;
    WCHAR m_shownText[kShownChars];
};

// The up-down arrows of a length: each press steps the item on the grid of the unit shown.
class QVOptItemDlgLinkUDArrowSpinLength : public QORVAOptItemDlgLinkUDArrowSpin {
public:
    using QORVAOptItemDlgLinkUDArrowSpin::QORVAOptItemDlgLinkUDArrowSpin;
    // UDN_DELTAPOS: steps the item (1); any other code 0.
    LRESULT OnNotify(LPARAM header) override;

protected:
    // The step from value in hundredths of a millimetre, positive, for a press of iDelta.
    virtual LONG Step(LONG value, int iDelta, bool millimetres) = 0;
};
