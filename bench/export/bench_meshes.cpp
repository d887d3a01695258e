#include "bench_meshes.h"

#include <cmath>

Mesh MakeGridMesh(int columns, int rows) {
  Mesh mesh;
  const int across = columns + 1;
  mesh.setNumVerts(across * (rows + 1));
  for (int y = 0; y <= rows; ++y) {
    for (int x = 0; x <= columns; ++x) {
      // A ripple, so that neighbouring normals differ as they do on a real surface.
      float height =
          0.5f * std::sin(0.11f * static_cast<float>(x)) * std::cos(0.07f * static_cast<float>(y));
      mesh.setVert(y * across + x, Point3(static_cast<float>(x), static_cast<float>(y), height));
    }
  }
  mesh.setNumFaces(2 * columns * rows);
  for (int y = 0; y < rows; ++y) {
    for (int x = 0; x < columns; ++x) {
      auto corner = static_cast<DWORD>(y * across + x);
      int f = 2 * (y * columns + x);
      mesh.faces[f].setVerts(corner, corner + 1, corner + across + 1);
      mesh.faces[f + 1].setVerts(corner, corner + across + 1, corner + across);
      mesh.faces[f].setSmGroup(1);
      mesh.faces[f + 1].setSmGroup(1);
    }
  }
  // Map faces are sized from the faces, so the channel is turned on after them.
  mesh.setMapSupport(1);
  mesh.setNumMapVerts(1, mesh.getNumVerts());
  for (int y = 0; y <= rows; ++y) {
    for (int x = 0; x <= columns; ++x) {
      mesh.mapVerts(1)[y * across + x] =
          UVVert(static_cast<float>(x) / static_cast<float>(columns),
                 static_cast<float>(y) / static_cast<float>(rows), 0);
    }
  }
  for (int f = 0; f < mesh.getNumFaces(); ++f) {
    const Face& face = mesh.faces[f];
    mesh.mapFaces(1)[f].setTVerts(face.v[0], face.v[1], face.v[2]);
  }
  return mesh;
}

Mesh MakeFacetedConeMesh(int faces) {
  Mesh mesh;
  mesh.setNumVerts(faces + 1);
  mesh.setVert(0, Point3(0, 0, 1));
  const double step = 2.0 * 3.14159265358979323846 / faces;
  for (int i = 0; i < faces; ++i) {
    mesh.setVert(i + 1, Point3(static_cast<float>(std::cos(step * i)),
                               static_cast<float>(std::sin(step * i)), 0));
  }
  mesh.setNumFaces(faces);
  for (int i = 0; i < faces; ++i) {
    mesh.faces[i].setVerts(0, static_cast<DWORD>(i + 1), static_cast<DWORD>((i + 1) % faces + 1));
  }
  return mesh;
}
