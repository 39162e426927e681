// The pictures are compiled into this library as Qt resources; this unit only gives the library a body.
namespace korvani_assets { int linked = 0; }
