// The trace: its fixed columns against the catalogue's vehicles, numbers
// that read back to the same doubles, the sampling rhythm of the batch
// runner's firings, the final sample against the picture of the same run,
// and output failures that stop the run.
#include "driver/trace_writer.hh"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "display/eps.hh"
#include "display/eps_view.hh"
#include "display/view.hh"
#include "driver/batch_run.hh"
#include "driver/catalogue.hh"
#include "driver/world_move_alarm.hh"
#include "lib/program_name.hh"
#include "sim/vehicle.hh"
#include "sim/world.hh"
#include "tests/sim/sim_helpers.hh"

namespace {

using Row = std::vector<std::string>;

std::string temp_path(const char *name)
{
    return testing::TempDir() + "trace_writer_test." + std::to_string(getpid()) + "." + name;
}

std::string read_file(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

Row split(const std::string &line)
{
    Row fields;
    std::string::size_type start = 0;
    for (;;) {
        std::string::size_type comma = line.find(',', start);
        fields.push_back(line.substr(start, comma - start));
        if (comma == std::string::npos)
            return fields;
        start = comma + 1;
    }
}

// The header and the rows of a trace file; every line must end in CR LF.
std::vector<Row> read_trace(const std::string &path, std::string *header)
{
    std::string text = read_file(path);
    std::vector<Row> rows;
    std::string::size_type start = 0;
    while (start < text.size()) {
        std::string::size_type end = text.find("\r\n", start);
        EXPECT_NE(std::string::npos, end) << "unterminated line at byte " << start;
        if (end == std::string::npos)
            break;
        std::string line = text.substr(start, end - start);
        if (start == 0)
            *header = line;
        else
            rows.push_back(split(line));
        start = end + 2;
    }
    return rows;
}

int column(const char *name)
{
    for (int c = 0; c < trace_column_count; c++)
        if (std::strcmp(trace_columns[c], name) == 0)
            return c;
    ADD_FAILURE() << "no column " << name;
    return 0;
}

bool same_bits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

class TraceTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        if (!the_catalogue)
            build_catalogue();
    }

    // A clone of the named catalogue vehicle in world, named as the batch
    // runner's operands name theirs.
    static Vehicle *add(World &world, const char *name)
    {
        Vehicle *v = keep(the_catalogue->find(name)->as_vehicle()->clone());
        v->set_name(name);
        world.add_body(v);
        return v;
    }

    // Traces `firings' firings of world, sampling every `every'-th.
    static std::vector<Row> run(World &world, unsigned firings, unsigned every,
                                const std::string &path)
    {
        View view(640, 520);
        WorldMoveAlarm mover(&world, &view);
        TraceWriter trace;
        EXPECT_TRUE(trace.open(path.c_str()));
        trace.start(&world);
        EXPECT_EQ(firings, run_firings(mover, firings, &trace, every, nullptr));
        EXPECT_TRUE(trace.finish());
        std::string header;
        return read_trace(path, &header);
    }
};

TEST_F(TraceTest, EveryCatalogueVehicleFitsTheFixedColumns)
{
    World &world = lasting_world();
    std::vector<Vehicle *> vehicles;
    for (int i = 0; i < the_catalogue->size(); i++) {
        Vehicle *prototype = the_catalogue->at(i)->as_vehicle();
        if (!prototype)
            continue;
        Vehicle *v = keep(prototype->clone());
        world.add_body(v);
        v->place(Point(40.0 * i, 10), 0.3 * i);
        vehicles.push_back(v);
    }
    ASSERT_EQ(10u, vehicles.size());
    world.add_body(the_catalogue->find("l2a"));

    std::string path = temp_path("columns");
    View view(640, 520);
    WorldMoveAlarm mover(&world, &view);
    TraceWriter trace;
    ASSERT_TRUE(trace.open(path.c_str()));
    trace.start(&world);
    EXPECT_EQ(1u, run_firings(mover, 1, &trace, 1, nullptr));
    ASSERT_TRUE(trace.finish());

    std::string header;
    std::vector<Row> rows = read_trace(path, &header);
    EXPECT_EQ("firing,step,index,body,x,y,heading,vx,vy,spin,"
              "left,right,middle,drive_left,drive_right,drive",
              header);
    ASSERT_EQ(2 * vehicles.size(), rows.size());
    const char *readings[] = {"left", "right", "middle"};
    for (size_t r = 0; r < rows.size(); r++) {
        const Row &row = rows[r];
        ASSERT_EQ(size_t(trace_column_count), row.size());
        size_t i = r % vehicles.size();
        const Vehicle *v = vehicles[i];
        bool start = r < vehicles.size();
        EXPECT_EQ(start ? "0" : "1", row[column("firing")]);
        EXPECT_EQ(start ? "0" : "4", row[column("step")]);
        EXPECT_EQ(std::to_string(i), row[column("index")]);
        // Unnamed clones: an empty body cell.
        EXPECT_EQ("", row[column("body")]);
        // Each reading column holds exactly the reading of the sensor of
        // that name, from the first step on.
        for (const char *name : readings) {
            int s = v->sensor_index(name);
            const std::string &cell = row[column(name)];
            if (start || s < 0)
                EXPECT_EQ("", cell) << name << " of vehicle " << i;
            else
                EXPECT_TRUE(same_bits(v->values()[s], std::strtod(cell.c_str(), nullptr)))
                    << name << " of vehicle " << i << ": " << cell;
        }
        const char *drives[] = {"drive_left", "drive_right"};
        for (int a = 0; a < 2; a++) {
            const std::string &one = row[column("drive")];
            const std::string &cell = row[column(drives[a])];
            if (start || v->actuator_count() == 1) {
                EXPECT_EQ("", cell);
                EXPECT_EQ(start || v->actuator_count() != 1, one.empty());
            } else {
                ASSERT_EQ(2, v->actuator_count());
                EXPECT_EQ("", one);
                EXPECT_TRUE(same_bits(v->drives()[a], std::strtod(cell.c_str(), nullptr)))
                    << drives[a] << " of vehicle " << i << ": " << cell;
            }
        }
    }
    std::remove(path.c_str());
}

TEST_F(TraceTest, NumbersReadBackToTheSameDoubles)
{
    struct Case {
        Point position, velocity;
        double heading;
    };
    const Case cases[] = {
        {{0.1 + 0.2, -0.0}, {1e300, -5e-324}, 3.141592653589793},
        {{-123456.78901234567, 2.2250738585072014e-308}, {1.0 / 3, -2.0 / 3}, -1e-17},
        {{1e22, 9007199254740993.0}, {INFINITY, -INFINITY}, -0.0},
    };
    World &world = lasting_world();
    std::vector<Vehicle *> vehicles;
    for (const Case &c : cases) {
        Vehicle *v = add(world, "v2a");
        v->place(c.position, c.heading);
        v->set_velocity(c.velocity);
        vehicles.push_back(v);
    }
    std::string path = temp_path("exact");
    TraceWriter trace;
    ASSERT_TRUE(trace.open(path.c_str()));
    trace.start(&world);
    trace.sample(7, 28);
    ASSERT_TRUE(trace.finish());

    std::string header;
    std::vector<Row> rows = read_trace(path, &header);
    ASSERT_EQ(vehicles.size(), rows.size());
    for (size_t i = 0; i < rows.size(); i++) {
        const Vehicle *v = vehicles[i];
        const Row &row = rows[i];
        EXPECT_EQ("v2a", row[column("body")]);
        const double expected[] = {v->x(), v->y(), v->heading(), v->velocity().x,
                                   v->velocity().y, v->spin()};
        const char *names[] = {"x", "y", "heading", "vx", "vy", "spin"};
        for (int k = 0; k < 6; k++) {
            const std::string &cell = row[column(names[k])];
            EXPECT_TRUE(same_bits(expected[k], std::strtod(cell.c_str(), nullptr)))
                << names[k] << " of vehicle " << i << ": " << cell;
        }
    }
    std::remove(path.c_str());
}

TEST_F(TraceTest, SamplesTheStartEveryKthFiringAndTheLast)
{
    struct Case {
        unsigned firings, every;
        std::vector<int> sampled;
    };
    const Case cases[] = {
        {10, 4, {0, 4, 8, 10}},
        {8, 4, {0, 4, 8}},
        {0, 6, {0}},
        {3, 1, {0, 1, 2, 3}},
        {5, 6, {0, 5}},
    };
    for (const Case &c : cases) {
        World &world = lasting_world();
        add(world, "v2b");
        add(world, "v1");
        std::string path = temp_path("rhythm");
        std::vector<Row> rows = run(world, c.firings, c.every, path);
        ASSERT_EQ(2 * c.sampled.size(), rows.size()) << c.firings << " every " << c.every;
        for (size_t r = 0; r < rows.size(); r++) {
            int firing = c.sampled[r / 2];
            EXPECT_EQ(std::to_string(firing), rows[r][column("firing")]);
            EXPECT_EQ(std::to_string(4 * firing), rows[r][column("step")]);
            EXPECT_EQ(r % 2 ? "v1" : "v2b", rows[r][column("body")]);
        }
        std::remove(path.c_str());
    }
}

// The picture draws each vehicle from its final state: redrawing a vehicle
// placed from the trace's last rows alone gives the same text.
TEST_F(TraceTest, FinalSampleIsWhatThePictureDraws)
{
    World &world = lasting_world();
    const char *names[] = {"v2a", "v2b", "v3a", "v3b", "v1", "v2ap", "v3bp"};
    for (int k = 0; k < 3; k++)
        for (const char *name : names)
            add(world, name);
    world.add_body(the_catalogue->find("l2a"));
    world.add_body(the_catalogue->find("l2b"));
    View view(320, 260);
    std::srand(11);
    world.scatter(true, false, &view);

    std::string trace_path = temp_path("final.csv");
    std::string eps_path = temp_path("final.eps");
    std::vector<Row> rows = run(world, 250, 7, trace_path);
    String saved_pattern = eps_name_pattern;
    eps_name_pattern = eps_path.c_str();
    testing::internal::CaptureStderr();
    ASSERT_TRUE(write_eps(&world, &view));
    testing::internal::GetCapturedStderr();
    eps_name_pattern = saved_pattern;
    std::string eps = read_file(eps_path);

    const size_t vehicles = 3 * sizeof(names) / sizeof(names[0]);
    ASSERT_GE(rows.size(), vehicles);
    for (size_t r = rows.size() - vehicles; r < rows.size(); r++) {
        const Row &row = rows[r];
        ASSERT_EQ("250", row[column("firing")]);
        Vehicle *copy = keep(the_catalogue->find(row[column("body")].c_str())->as_vehicle()->clone());
        copy->place(Point(std::strtod(row[column("x")].c_str(), nullptr),
                          std::strtod(row[column("y")].c_str(), nullptr)),
                    std::strtod(row[column("heading")].c_str(), nullptr));
        char *text = nullptr;
        size_t length = 0;
        FILE *f = open_memstream(&text, &length);
        ASSERT_TRUE(f);
        EPSView drawing(view, f);
        copy->draw(&drawing);
        std::fclose(f);
        std::string section = "% Vehicle " + row[column("index")] + "\n";
        size_t at = eps.find(section);
        ASSERT_NE(std::string::npos, at) << section;
        size_t next = eps.find("% ", at + section.size());
        EXPECT_NE(std::string::npos, eps.substr(at, next - at).find(text))
            << "vehicle " << row[column("index")] << " is drawn elsewhere than traced";
        std::free(text);
    }
    std::remove(trace_path.c_str());
    std::remove(eps_path.c_str());
}

TEST_F(TraceTest, OutputFailuresAreReportedOnceAndEndTheRun)
{
    TraceWriter unopened;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(unopened.open("/nonexistent-dir/trace.csv"));
    EXPECT_EQ(std::string(program_name) + ": /nonexistent-dir/trace.csv: No such file or directory\n",
              testing::internal::GetCapturedStderr());

    World &world = lasting_world();
    for (int i = 0; i < 40; i++)
        add(world, "v2a");
    View view(640, 520);
    WorldMoveAlarm mover(&world, &view);
    TraceWriter trace;
    ASSERT_TRUE(trace.open("/dev/full"));
    trace.start(&world);
    testing::internal::CaptureStderr();
    unsigned done = run_firings(mover, 100000, &trace, 1, nullptr);
    EXPECT_FALSE(trace.ok());
    EXPECT_FALSE(trace.finish());
    EXPECT_EQ(std::string(program_name) + ": /dev/full: No space left on device\n",
              testing::internal::GetCapturedStderr());
    // A buffer of rows or so, not the whole run.
    EXPECT_LT(done, 50u);
    EXPECT_EQ(int(done), mover.tick_count());

    // A small trace that fails only when the rest is written out at the end.
    TraceWriter small;
    ASSERT_TRUE(small.open("/dev/full"));
    small.start(&world);
    EXPECT_TRUE(small.ok());
    testing::internal::CaptureStderr();
    EXPECT_FALSE(small.finish());
    EXPECT_EQ(std::string(program_name) + ": /dev/full: No space left on device\n",
              testing::internal::GetCapturedStderr());
}

}  // namespace
