#include <basekit/XmlNode.h>
