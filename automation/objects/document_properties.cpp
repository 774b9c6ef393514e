// CDocumentProperties is creatable through the automatic list of the object map.
#include "document_properties.h"

#include "module.h"

OBJECT_ENTRY_AUTO(CLSID_CDocumentProperties, CDocumentProperties)
