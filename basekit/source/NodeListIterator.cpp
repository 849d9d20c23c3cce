#include <basekit/NodeListIterator.h>

NodeListIterator::NodeListIterator(XmlNodeList list) : fList(std::move(list)) {}
