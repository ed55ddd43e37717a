#pragma once

// The empty document of the single-document frame: it holds no data, and the
// form's own file commands never involve it.
class CVELD_Host_ParaDoc {
  public:
    bool OnNewDocument();
    // A file named on the command line is "opened" by the document, which
    // reads nothing from it.
    bool OnOpenDocument();
};
