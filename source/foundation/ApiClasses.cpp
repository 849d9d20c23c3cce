// Out-of-line destructors of the object API: they anchor each interface's tables in this
// library, so that every provider and client shares one copy.
#include <pova/Action.h>
#include <pova/Calculation.h>
#include <pova/CalculationFunction.h>
#include <pova/Chunk.h>
#include <pova/ChunkHandler.h>
#include <pova/ColumnInfo.h>
#include <pova/Command.h>
#include <pova/Cube.h>
#include <pova/CubeListener.h>
#include <pova/Dimension.h>
#include <pova/DimensionPart.h>
#include <pova/Document.h>
#include <pova/Expression.h>
#include <pova/Format.h>
#include <pova/Hierarchy.h>
#include <pova/Level.h>
#include <pova/Listener.h>
#include <pova/Member.h>
#include <pova/MemberSet.h>
#include <pova/MetaDataProperty.h>
#include <pova/Parameter.h>
#include <pova/ParameterLink.h>
#include <pova/ParameterValue.h>
#include <pova/QueryFieldsData.h>
#include <pova/Queryable.h>
#include <pova/Row.h>
#include <pova/ServerParameter.h>
#include <pova/StatisticsSummary.h>
#include <pova/Style.h>
#include <pova/SubTotal.h>
#include <pova/Transition.h>
#include <pova/TransitionCommand.h>
#include <pova/TransitionCommands.h>
#include <pova/ViewResultSet.h>
#include <pova/Viewpoint.h>
#include <pova/ViewpointListener.h>
#include <pova/common/ViewpointModifier.h>
#include <pova/support/NamedPart.h>

namespace support {
NamedPart::~NamedPart() = default;
}  // namespace support

namespace common {
ViewpointModifier::~ViewpointModifier() = default;
ViewpointVisitor::~ViewpointVisitor() = default;
}  // namespace common

namespace ZELT_o {

Listener::~Listener() = default;
ViewpointListener::~ViewpointListener() = default;
CubeListener::~CubeListener() = default;
Cube::Listener::~Listener() = default;
Document::Listener::~Listener() = default;
Member::Listener::~Listener() = default;
MemberSet::Listener::~Listener() = default;
MemberSet::UndoListener::~UndoListener() = default;
ParameterLink::Listener::~Listener() = default;
Parameter::Listener::~Listener() = default;
Hierarchy::Listener::~Listener() = default;

DimensionPart::~DimensionPart() = default;
Queryable::~Queryable() = default;
ChunkHandler::~ChunkHandler() = default;

bool ChunkHandler::onCancel(std::function<void()> /*interrupt*/) {
    return true;
}
ColumnInfo::~ColumnInfo() = default;
ContextSpecification::~ContextSpecification() = default;
Format::~Format() = default;

Command::~Command() = default;
ViewpointCommand::~ViewpointCommand() = default;
BasicViewpointCommand::~BasicViewpointCommand() = default;
Transaction::~Transaction() = default;
SortViewpointCommand::~SortViewpointCommand() = default;
SubTotalViewpointCommand::~SubTotalViewpointCommand() = default;
MemberSetCommand::~MemberSetCommand() = default;
Cube::~Cube() = default;
Dimension::~Dimension() = default;
Hierarchy::~Hierarchy() = default;
Level::~Level() = default;
Member::~Member() = default;
MemberSet::~MemberSet() = default;
Viewpoint::~Viewpoint() = default;
ViewResultSet::~ViewResultSet() = default;
Calculation::~Calculation() = default;
Chunk::~Chunk() = default;
AxisChunk::~AxisChunk() = default;
CellDataChunk::~CellDataChunk() = default;
MetaDataProperty::~MetaDataProperty() = default;
Parameter::~Parameter() = default;
ParameterValue::~ParameterValue() = default;
ParameterLink::~ParameterLink() = default;
ServerParameter::~ServerParameter() = default;
CalculationFunction::~CalculationFunction() = default;
Expression::~Expression() = default;
QueryFieldsData::~QueryFieldsData() = default;
Document::~Document() = default;
Transition::~Transition() = default;
TransitionCommand::~TransitionCommand() = default;
TransitionCommands::~TransitionCommands() = default;
Action::~Action() = default;
Row::~Row() = default;
StatisticsSummary::~StatisticsSummary() = default;
SubTotal::~SubTotal() = default;
Style::~Style() = default;

}  // namespace ZELT_o
