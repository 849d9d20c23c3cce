#include <basekit/XmlSupport.h>

struct XmlSupport::Impl {};
XmlSupport::XmlSupport() = default;
XmlSupport::~XmlSupport() = default;
