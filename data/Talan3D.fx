// Talan3D.fx: the viewer's shading, GLSL 3.30.
//
// Surfaces and blocks are lit by the two light directions (the key light and its
// mirror for fill) and scaled by AmbientIntensity; both sides of a surface are lit,
// because the winding of triangulated surfaces varies from file to file. Smoothed
// normals are shorter than 1 where they average different faces: they are made
// unit length again per pixel. Lines, drill holes and points carry no normal and
// show their own colour. Block models are drawn from one record per block: the
// block program builds each box's 36 vertices exactly as the scene's own vertices
// would give them.

@common
uniform mat4 World;
uniform mat4 View;
uniform mat4 Projection;
uniform vec4 vLightDir[2];
uniform vec4 vLightColor[2];
uniform float AmbientIntensity;
uniform vec4 SectionPlanes[2];

// Where a point in stored axes (x, elevation, y) lands on screen. Vertices and block
// corners go through the same arithmetic, to the bit. The matrices are applied one
// at a time, the world matrix first: it moves the point near the origin (the point
// looked at), so that map coordinates of millions of units keep their detail.
vec4 ClipPosition(vec3 position)
{
    return Projection * (View * (World * vec4(position, 1.0)));
}

// How far a point in stored axes lies inside each plane of the section slab: the
// vertex programs give these to the clip distances, so that what lies outside the
// slab is cut away.
vec2 SectionDistances(vec3 position)
{
    return vec2(dot(SectionPlanes[0].xyz, position) + SectionPlanes[0].w,
                dot(SectionPlanes[1].xyz, position) + SectionPlanes[1].w);
}

// A normal in world axes. The world matrix may stretch the elevation (vertical
// exaggeration): a normal goes through the inverse transpose, so that it stays square
// to the stretched surface; its length is made 1 where it is used.
vec3 WorldNormal(vec3 n)
{
    return transpose(inverse(mat3(World))) * n;
}

// The colour of a lit surface of unit normal n (world axes): both sides lit alike.
// Block models drawn by casting rays through their lattice are shaded here too, so
// that they look exactly as their boxes do.
vec4 ShadeSurface(vec3 n, vec4 colour)
{
    float key = abs(dot(n, normalize(vLightDir[0].xyz + vec3(0.0, 0.0, 1e-9))));
    float fill = abs(dot(n, normalize(vLightDir[1].xyz + vec3(0.0, 0.0, 1e-9))));
    float light = AmbientIntensity * (0.3 + 0.7 * key + 0.15 * fill);
    vec3 coloured = colour.rgb * light + vLightColor[0].rgb * key + vLightColor[1].rgb * fill;
    return vec4(min(coloured, vec3(1.0)), 1.0);
}

@technique Render
@pass P0
@vertex
in vec3 POSITION;
in vec3 NORMAL;
in vec4 COLOR;
out vec3 worldNormal;
out vec4 vertexColour;

void main()
{
    gl_Position = ClipPosition(POSITION);
    vec2 section = SectionDistances(POSITION);
    gl_ClipDistance[0] = section.x;
    gl_ClipDistance[1] = section.y;
    worldNormal = WorldNormal(NORMAL);
    vertexColour = COLOR;
}

@blocks
in vec3 BLOCK_LOW;
in vec3 BLOCK_HIGH;
in uvec4 BLOCK_COLOR;
out vec3 worldNormal;
out vec4 vertexColour;

// The box face by face (y-, top, x+, y+, x-, bottom), each face as the triangles
// a-b-c and a-c-d; a corner is a bit set over the file axes: 1 = x+, 2 = y+, 4 = z+.
const int kCorners[36] = int[36](0, 4, 5, 0, 5, 1,   4, 6, 7, 4, 7, 5,   1, 5, 7, 1, 7, 3,
                                 3, 7, 6, 3, 6, 2,   2, 6, 4, 2, 4, 0,   1, 3, 2, 1, 2, 0);
const vec3 kFaceNormals[6] = vec3[6](vec3(0.0, 0.0, -1.0), vec3(0.0, 1.0, 0.0), vec3(1.0, 0.0, 0.0),
                                     vec3(0.0, 0.0, 1.0), vec3(-1.0, 0.0, 0.0), vec3(0.0, -1.0, 0.0));

void main()
{
    int corner = kCorners[gl_VertexID];
    float x = (corner & 1) != 0 ? BLOCK_HIGH.x : BLOCK_LOW.x;
    float y = (corner & 2) != 0 ? BLOCK_HIGH.y : BLOCK_LOW.y;
    float z = (corner & 4) != 0 ? BLOCK_HIGH.z : BLOCK_LOW.z;
    gl_Position = ClipPosition(vec3(x, z, y));
    vec2 section = SectionDistances(vec3(x, z, y));
    gl_ClipDistance[0] = section.x;
    gl_ClipDistance[1] = section.y;
    worldNormal = WorldNormal(kFaceNormals[gl_VertexID / 6]);
    vertexColour = vec4(vec3(BLOCK_COLOR.rgb) * 0.003921569, 1.0);
}

@fragment
in vec3 worldNormal;
in vec4 vertexColour;
out vec4 fragmentColour;

void main()
{
    float normalLength = length(worldNormal);
    if (normalLength < 1e-6) {
        // Lines, drill holes and points: their own colour.
        fragmentColour = vec4(vertexColour.rgb, 1.0);
        return;
    }
    fragmentColour = ShadeSurface(worldNormal / normalLength, vertexColour);
}
