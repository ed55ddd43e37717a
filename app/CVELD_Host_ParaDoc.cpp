#include "app/CVELD_Host_ParaDoc.h"

bool CVELD_Host_ParaDoc::OnNewDocument() { return true; }

bool CVELD_Host_ParaDoc::OnOpenDocument() { return true; }
