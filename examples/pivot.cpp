// pivot: the everyday use of a viewpoint. It opens the bundled "Sales" cube, makes a viewpoint
// on it, changes the layout with a command (as a user's drag and drop would), then queries the
// cells and prints them as a grid: years across, countries down.
#include <basekit/OleAuto.h>
#include <memcube/SalesCube.h>
#include <pova/Chunk.h>
#include <pova/ChunkHandler.h>
#include <pova/Command.h>
#include <pova/Dimension.h>
#include <pova/Factories.h>
#include <pova/Member.h>
#include <pova/PropertySpecification.h>
#include <pova/ViewResultSet.h>
#include <pova/Viewpoint.h>
#include <pova/support/Ref.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// Keeps the chunks a result set delivers; each arrives with one reference for us.
class ChunkCollector : public ZELT_o::ChunkHandler {
public:
    bool handleChunk(ZELT_o::Chunk* chunk, bool /*last*/) override {
        fChunks.push_back(support::adopt(chunk));
        return true;
    }
    std::vector<support::Ref<ZELT_o::Chunk>> fChunks;
};

void printAxes(ZELT_o::Viewpoint& viewpoint) {
    for (LONG axis = 0; axis < viewpoint.countAxes() + viewpoint.countPagedAxes(); ++axis) {
        std::printf("axis %d:", axis);
        for (ZELT_o::Dimension* dimension : viewpoint.getAxisDimensions(axis)) {
            std::printf(" %s", dimension->getName().string().c_str());
        }
        std::printf("\n");
    }
}

// Every change goes through a command: executed here, it could be undone and redone later.
void swapRowsWithPages(ZELT_o::Viewpoint& viewpoint) {
    auto command = support::adopt(viewpoint.createCommand(ZELT_o::Viewpoint::CommandType::Basic));
    auto* basic = dynamic_cast<ZELT_o::BasicViewpointCommand*>(command.get());
    // Product (axis 1, the rows) changes places with Region (axis 2, the first paged one).
    basic->SwapDimensions(1, 0, 2, 0);
    basic->execute();
}

// The captions of an axis's tuples (one dimension per axis here).
std::vector<std::string> captions(ZELT_o::ViewResultSet& result, LONG axis) {
    ChunkCollector collector;
    result.requestAxisChunks(&collector, axis, 0, result.getAxisLength(axis) - 1);
    std::vector<std::string> names;
    for (auto const& chunk : collector.fChunks) {
        auto* axisChunk = dynamic_cast<ZELT_o::AxisChunk*>(chunk.get());
        for (LONG i = 0; i < axisChunk->getValueCount(); ++i) {
            names.push_back(axisChunk->getMember(i, 0)->getCaption().string());
        }
    }
    return names;
}

// The cells, axis 0 varying fastest: row r starts at r * columns.
void printGrid(ZELT_o::ViewResultSet& result) {
    std::vector<std::string> const columns = captions(result, 0);
    std::vector<std::string> const rows = captions(result, 1);
    std::printf("%-16s", "");
    for (std::string const& column : columns) {
        std::printf("%16s", column.c_str());
    }
    std::printf("\n");
    ChunkCollector collector;
    result.requestCellChunks(&collector, 0, result.getItemCount() - 1);
    LONG cell = 0;
    for (auto const& chunk : collector.fChunks) {
        for (LONG i = 0; i < chunk->getValueCount(); ++i, ++cell) {
            if (cell % static_cast<LONG>(columns.size()) == 0) {
                std::printf("%-16s", rows[cell / columns.size()].c_str());
            }
            basekit::Variant value;  // Cleared when it goes.
            chunk->getValue(i, value.get());
            std::printf("%16.2f", value.type() == VT_R8 ? value->dblVal : 0.0);
            if ((cell + 1) % static_cast<LONG>(columns.size()) == 0) {
                std::printf("\n");
            }
        }
    }
}

}  // namespace

int main() {
    support::Ref<memcube::MemCube> cube = memcube::makeSalesCube();
    auto viewpoint = support::adopt(createCommonViewpoint());
    // Two view axes (columns, rows) and one paged axis; the cube decides the default layout.
    viewpoint->setCube(cube.get(), 2, 1);
    printAxes(*viewpoint);

    swapRowsWithPages(*viewpoint);
    std::printf("after the swap:\n");
    printAxes(*viewpoint);

    // The sales of every country by year: Measures is paged, sliced at its first measure.
    // An empty property list asks for the cells' values alone.
    std::vector<ZELT_o::PropertySpecification> properties;
    auto result = support::adopt(viewpoint->query(&properties));
    printGrid(*result);

    // Unbinding lets the viewpoint forget what it borrowed from the cube.
    viewpoint->setCube(nullptr, 2, 1);
    return 0;
}
