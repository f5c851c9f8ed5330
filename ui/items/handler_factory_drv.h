// QORVAOptItemHandlerFactoryDrv: the driver's handler factory, the one the sheets make. Until the
// driver's own handlers, links and constraints join it, it makes the standard handlers and keeps
// no constraints, defaults or item preparation of its own.
#pragma once

#include "handler_factory.h"

class QORVAOptItemHandlerFactoryDrv : public QORVAOptItemHandlerFactory {
public:
    QORVAOptItemHandlerFactoryDrv(POEMCUIPPARAM record, CoUIPluginExt* extension, IPrintOemDriverUI* driverUI,
                                  void* settings);
    ~QORVAOptItemHandlerFactoryDrv() override;

    void CreateConstraints() override;
    void ApplyDefaults() override;
    void PrepareItems() override;

private:
    void* m_driverSlot = nullptr;
    BYTE m_constraints[512] = {};
};
