// The constraints of each sheet and the makers of the constraint classes.
#include <iterator>

#include <win/prcomoem_ui.h>

#include "items/heap_object.h"
#include "options/constraint_layout.h"
#include "options/constraint_main.h"
#include "options/custom_media_constraints.h"
#include "options/device_info_constraint.h"
#include "options/factory_tables.h"
#include "options/quick_settings_constraints.h"
#include "options/watermark_list_constraint.h"

namespace {

using enum DrvConstraintClass;

constexpr DrvConstraintClass kDocumentSheet[] = {MAIN, LAYOUT, ADVANCED, QUICKSETS, QUICKSETSNAME, CMS, CMSNAME, WMK};
constexpr DrvConstraintClass kPrinterSheet[] = {DEVINFO};

template <class Constraint>
QORVAOptItemNotify* MakeConstraint(HANDLE heap, QORVAOptItemHandlerFactory* factory) {
    return MakeOnHeap<Constraint>(heap, heap, factory);
}

struct ConstraintClassRow {
    LPCWSTR m_name;
    ConstraintMaker m_maker;  // MakeConstraint<its class>
};

constexpr ConstraintClassRow kClasses[] = {
    {u"QORVAOptItemConstraintMAIN", MakeConstraint<QORVAOptItemConstraintMAIN>},
    {u"QORVAOptItemConstraintLAYOUT", MakeConstraint<QORVAOptItemConstraintLAYOUT>},
    {u"QORVAOptItemConstraintADVANCED", MakeConstraint<QORVAOptItemConstraintADVANCED>},
    {u"QORVAOptItemConstraintQUICKSETS", MakeConstraint<QORVAOptItemConstraintQUICKSETS>},
    {u"QORVAOptItemConstraintQUICKSETSNAME", MakeConstraint<QORVAOptItemConstraintQUICKSETSNAME>},
    {u"QORVAOptItemConstraintCMS", MakeConstraint<QORVAOptItemConstraintCMS>},
    {u"QORVAOptItemConstraintCMSNAME", MakeConstraint<QORVAOptItemConstraintCMSNAME>},
    {u"QORVAOptItemConstraintWMK", MakeConstraint<QORVAOptItemConstraintWMK>},
    {u"QVOptItemConstraintDEVINFO", MakeConstraint<QVOptItemConstraintDEVINFO>},
};
static_assert(std::size(kClasses) == static_cast<size_t>(DrvConstraintClass::Count));

}  // namespace

std::span<const DrvConstraintClass> SheetConstraints(DWORD sheetMode) {
    if (sheetMode == OEMCUIP_DOCPROP) return kDocumentSheet;
    if (sheetMode == OEMCUIP_PRNPROP) return kPrinterSheet;
    return {};
}

ConstraintMaker ConstraintMakerOf(DrvConstraintClass constraintClass) {
    const auto index = static_cast<size_t>(constraintClass);
    return index < std::size(kClasses) ? kClasses[index].m_maker : nullptr;
}

LPCWSTR ConstraintClassName(DrvConstraintClass constraintClass) {
    const auto index = static_cast<size_t>(constraintClass);
    return index < std::size(kClasses) ? kClasses[index].m_name : u"";
}
