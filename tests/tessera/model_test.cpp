// Loading model files into bodies: the record layout, short and damaged
// files, and the scene's use of the object files.
#include "tessera/scene/model.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "test_files.h"

namespace tessera {
namespace {

using testing::ModelBytes;
using testing::ScratchFolder;

TEST(ModelLoad, ReadsRecordsAndIgnoresTheirFirstBytes) {
  ScratchFolder folder;
  ModelBytes()
      .U32(3)
      .Vertex(1.5f, -2.0f, 3.25f, 0xDEADBEEF)
      .Vertex(4, 5, 6)
      .Vertex(7, 8, 9, 42)
      .U32(1)
      .Face(2, 0, 1, 0xFFFFFFFF)
      .U32(0xAAAAAAAA)  // bytes after a complete file are not read
      .Write("m.vh3");
  Model model;
  ASSERT_TRUE(model.Load("m.vh3"));
  EXPECT_EQ(model.vertexCount, 3u);
  EXPECT_EQ(model.faceCount, 1u);
  const std::vector<Vec3> expected = {{1.5f, -2.0f, 3.25f}, {4, 5, 6}, {7, 8, 9}};
  EXPECT_EQ(model.baseVertices, expected);
  EXPECT_EQ(model.vertices, expected);
  EXPECT_EQ(model.faces, std::vector<Face>({{2, 0, 1}}));
}

TEST(ModelLoad, EmptyBodies) {
  ScratchFolder folder;
  ModelBytes().U32(0).U32(0).Write("zero.vh3");
  ModelBytes().Write("empty.vh3");
  for (const char* name : {"zero.vh3", "empty.vh3"}) {
    Model model;
    EXPECT_TRUE(model.Load(name)) << name;
    EXPECT_EQ(model.vertexCount, 0u);
    EXPECT_EQ(model.faceCount, 0u);
    EXPECT_TRUE(model.vertices.empty() && model.faces.empty());
  }
  Model missing;
  EXPECT_FALSE(missing.Load("absent.vh3"));
  EXPECT_TRUE(missing.vertices.empty());
}

// A file cut short keeps its counts; every announced record is appended and
// the missing bytes keep the values of the record read before.
TEST(ModelLoad, ShortFileRepeatsThePreviousRecordsTail) {
  ScratchFolder folder;
  ModelBytes full;
  full.U32(3).Vertex(1, 2, 3).Vertex(4, 5, 6).Vertex(7, 8, 9).U32(2).Face(0, 1, 2).Face(2, 1, 0);

  ModelBytes(full).Truncate(4 + 16 + 8).Write("half_vertex.vh3");  // vertex 1 has only x
  Model halfVertex;
  ASSERT_TRUE(halfVertex.Load("half_vertex.vh3"));
  EXPECT_EQ(halfVertex.vertexCount, 3u);
  EXPECT_EQ(halfVertex.baseVertices, std::vector<Vec3>({{1, 2, 3}, {4, 2, 3}, {4, 2, 3}}));
  EXPECT_EQ(halfVertex.faceCount, 0u);  // the face count was never read
  EXPECT_TRUE(halfVertex.faces.empty());

  ModelBytes(full).Truncate(full.bytes.size() - 8).Write("half_face.vh3");
  Model halfFace;
  ASSERT_TRUE(halfFace.Load("half_face.vh3"));
  EXPECT_EQ(halfFace.faces, std::vector<Face>({{0, 1, 2}, {2, 1, 2}}));

  ModelBytes().U32(1).Vertex(0, 0, 0).U32(2).Truncate(4 + 16 + 4).Write("no_faces.vh3");
  Model noFaceRecords;
  ASSERT_TRUE(noFaceRecords.Load("no_faces.vh3"));
  EXPECT_EQ(noFaceRecords.faces, std::vector<Face>({{0, 0, 0}, {0, 0, 0}}));  // the zeroed first record
}

// Counts far beyond what the file holds are no error either: every announced
// record is appended, the records past the end repeating the last one read.
TEST(ModelLoad, CountsBeyondTheFileStillLoadEveryRecord) {
  ScratchFolder folder;
  struct Case {
    const char* name;
    ModelBytes bytes;
    uint32_t vertices, faces;
    Vec3 lastVertex;
    Face lastFace;
  };
  const Case cases[] = {
      {"two_of_forty_faces",
       ModelBytes()
           .U32(4)
           .Vertex(0, 0, 0)
           .Vertex(1, 0, 0)
           .Vertex(0, 1, 0)
           .Vertex(1, 1, 0)
           .U32(40)
           .Face(0, 1, 2)
           .Face(1, 3, 2),
       4,
       40,
       {1, 1, 0},
       {1, 3, 2}},
      {"one_of_5000_vertices", ModelBytes().U32(5000).Vertex(1, 2, 3), 5000, 0, {1, 2, 3}, {}},
      {"count_alone", ModelBytes().U32(3), 3, 0, {0, 0, 0}, {}},
      {"cut_in_a_face_record",
       ModelBytes().U32(1).Vertex(5, 5, 5).U32(3).Face(0, 0, 0).U32(7),
       1,
       3,
       {5, 5, 5},
       {0, 0, 0}},
  };
  for (const Case& c : cases) {
    c.bytes.Write(c.name);
    Model model;
    ASSERT_TRUE(model.Load(c.name)) << c.name;
    EXPECT_EQ(model.vertexCount, c.vertices) << c.name;
    EXPECT_EQ(model.faceCount, c.faces) << c.name;
    ASSERT_EQ(model.baseVertices.size(), c.vertices) << c.name;
    ASSERT_EQ(model.vertices.size(), c.vertices) << c.name;
    ASSERT_EQ(model.faces.size(), c.faces) << c.name;
    EXPECT_EQ(model.baseVertices.back(), c.lastVertex) << c.name;
    if (c.faces > 0) {
      EXPECT_EQ(model.faces.back(), c.lastFace) << c.name;
    }
    // What it has draws: every face index is inside the lists.
    for (const Face& face : model.faces)
      EXPECT_TRUE(face.a < c.vertices && face.b < c.vertices && face.c < c.vertices);
  }
}

// A FIFO, a folder or a device where a model file belongs is refused at once
// (a FIFO would block open() for good), like a missing file.
TEST(ModelLoad, RefusesWhatIsNotARegularFile) {
  ScratchFolder folder;
  std::filesystem::create_directory("folder.vh3");
#if defined(_WIN32)
  // No FIFOs among Windows' files; its devices answer to their names in every folder.
  const char* const names[] = {"NUL", "CON", "folder.vh3", "missing.vh3"};
#else
  ASSERT_EQ(mkfifo("fifo.vh3", 0600), 0);
  std::filesystem::create_symlink("/dev/zero", "device.vh3");
  alarm(30);
  const char* const names[] = {"fifo.vh3", "folder.vh3", "device.vh3", "missing.vh3"};
#endif
  for (const char* name : names) {
    Model model;
    EXPECT_FALSE(model.Load(name)) << name;
    EXPECT_EQ(model.vertexCount, 0u);
    EXPECT_TRUE(model.vertices.empty());
  }
#if !defined(_WIN32)
  alarm(0);
#endif
}

// Damaged files are refused whole: no read outside the lists later, no
// allocation sized by a wild count.
TEST(ModelLoad, RefusesFilesTheSceneCouldNotUse) {
  ScratchFolder folder;
  struct Case {
    const char* name;
    ModelBytes bytes;
  };
  const Case cases[] = {
      {"index_past_vertices",
       ModelBytes().U32(3).Vertex(0, 0, 0).Vertex(1, 0, 0).Vertex(0, 1, 0).U32(1).Face(0, 1, 3)},
      {"negative_index", ModelBytes().U32(1).Vertex(0, 0, 0).U32(1).Face(0, 0xFFFFFFFF, 0)},
      {"faces_without_vertices", ModelBytes().U32(0).U32(1).Face(0, 0, 0)},
      {"huge_vertex_count", ModelBytes().U32(0xFFFFFFFF).Vertex(0, 0, 0)},
      {"huge_face_count", ModelBytes().U32(1).Vertex(0, 0, 0).U32(0x7FFFFFFF).Face(0, 0, 0)},
  };
  for (const Case& c : cases) {
    c.bytes.Write(c.name);
    Model model;
    EXPECT_FALSE(model.Load(c.name)) << c.name;
    EXPECT_EQ(model.vertexCount, 0u) << c.name;
    EXPECT_EQ(model.faceCount, 0u) << c.name;
    EXPECT_TRUE(model.vertices.empty() && model.baseVertices.empty() && model.faces.empty()) << c.name;
  }
}

// The object slots draw their file names first, then their motions; slots
// that pick the same file hold separate copies.
TEST(ObjectModels, PickFilesFirstAndKeepSeparateCopies) {
  ScratchFolder folder;
  for (uint32_t n = 0; n < 3; ++n) {
    ModelBytes bytes;
    bytes.U32(n + 1);
    for (uint32_t i = 0; i <= n; ++i) bytes.Vertex(static_cast<float>(i), 1, 2);
    bytes.U32(1).Face(0, 0, n).Write("object" + std::to_string(n) + ".VH3");
  }
  ObjectScene scene;
  scene.objectCount = 12;
  Random random(7);
  ASSERT_TRUE(LoadObjectModels(scene, random));

  Random expected(7);
  for (uint32_t i = 0; i < 12; ++i) {
    EXPECT_EQ(scene.objects[i].vertexCount, expected.Next() % 3 + 1) << "slot " << i;
  }
  Model firstMotion;
  LaunchObject(firstMotion, expected);
  EXPECT_EQ(scene.objects[0].velocityZ, firstMotion.velocityZ);
  EXPECT_EQ(scene.objects[0].positionX, firstMotion.positionX);
  EXPECT_EQ(scene.objects[12].vertexCount, 0u);  // unused slots stay empty

  for (uint32_t i = 1; i < 12; ++i) {
    if (scene.objects[i].vertexCount != scene.objects[0].vertexCount) continue;
    EXPECT_EQ(scene.objects[i].baseVertices, scene.objects[0].baseVertices);
    EXPECT_NE(scene.objects[i].vertices.data(), scene.objects[0].vertices.data());
  }
}

TEST(SceneSetUp, BuildsThePlaneAndTheFigureWithoutObjects) {
  ScratchFolder folder;
  ModelBytes().U32(1).Vertex(0, 0, 0).U32(1).Face(0, 0, 0).Write("dude.vh3");
  ModelBytes().U32(1).Vertex(0, 0, 0).U32(0).Write("object0.VH3");
  ObjectScene scene;
  scene.objectCount = 0;
  Random random(3);
  SetUpScene(scene, random);

  EXPECT_EQ(random.State(), 3u) << "no draw without objects";
  EXPECT_EQ(scene.dude.vertexCount, 1u);
  EXPECT_EQ(scene.plane.vertexCount, 4u);
  EXPECT_EQ(scene.plane.faces, std::vector<Face>({{1, 3, 2}, {2, 0, 1}}));
  EXPECT_EQ(scene.plane.baseVertices[1], (Vec3{-200, 200, 0}));
  EXPECT_EQ(scene.dude.textureIndex, kDudeTexture);
  EXPECT_EQ(scene.plane.textureIndex, kPlaneTexture);
  EXPECT_EQ(scene.plane.positionZ, 501.0f);
  for (const Model& object : scene.objects) EXPECT_TRUE(object.vertices.empty());
}

}  // namespace
}  // namespace tessera
