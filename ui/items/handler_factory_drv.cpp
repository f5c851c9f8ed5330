#include "handler_factory_drv.h"

QORVAOptItemHandlerFactoryDrv::QORVAOptItemHandlerFactoryDrv(POEMCUIPPARAM record, CoUIPluginExt* extension,
                                                             IPrintOemDriverUI* driverUI, void* settings)
    : QORVAOptItemHandlerFactory(record, extension, driverUI, settings) {}

QORVAOptItemHandlerFactoryDrv::~QORVAOptItemHandlerFactoryDrv() = default;

void QORVAOptItemHandlerFactoryDrv::CreateConstraints() {}

void QORVAOptItemHandlerFactoryDrv::ApplyDefaults() {}

void QORVAOptItemHandlerFactoryDrv::PrepareItems() {}
