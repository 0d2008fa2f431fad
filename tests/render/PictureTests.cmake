# Picture tests: talan3d --render command lines whose pictures are compared with the
# baselines in tests/render/baselines/ (see picture_test/PictureTestMain.cpp).
#
#   talan_picture_test(NAME SCENE [ARGS --render options...] [SHARE s] [LEVEL l] [BASELINE png] [BOXES_TOO]
#                      [OVERLAY])
#
# The pictures leave out the axes triad and scale bar (--no-overlay) unless OVERLAY
# is given, so that they show the scene alone.
# BOXES_TOO adds the test NAME.boxes: the same picture with block models drawn as
# boxes (--draw-blocks boxes), against the same baseline.
#
# SCENE is a file in tests/render/scenes/ or an absolute path; pictures are 160x120
# unless ARGS give a --size. The tolerance scale, the same for every test:
#   LEVEL  how far (0 to 255) one colour channel may stray before its pixel counts
#          as differing. 0 is pixel perfect; the default 3 lets llvmpipe on another
#          processor round a shade differently.
#   SHARE  the share of pixels that may differ beyond LEVEL. The default 0.002 lets a
#          few edge pixels fall the other way; a visible change is far above it.
find_package(Qt6 REQUIRED COMPONENTS Gui)
add_executable(picture_test ${CMAKE_CURRENT_LIST_DIR}/picture_test/PictureTestMain.cpp)
target_link_libraries(picture_test PRIVATE Qt6::Gui)
# The pictures are drawn by talan3d with the effect file copied beside it: building
# the picture tests brings both up to date.
add_dependencies(picture_test talan3d)

function(talan_picture_test name scene)
  cmake_parse_arguments(PARSE_ARGV 2 PT "BOXES_TOO;OVERLAY" "SHARE;LEVEL;BASELINE" "ARGS")
  if(NOT PT_OVERLAY)
    list(PREPEND PT_ARGS --no-overlay)
  endif()
  if(NOT PT_SHARE)
    set(PT_SHARE 0.002)
  endif()
  if(NOT DEFINED PT_LEVEL)
    set(PT_LEVEL 3)
  endif()
  if(NOT PT_BASELINE)
    set(PT_BASELINE ${PROJECT_SOURCE_DIR}/tests/render/baselines/${name}.png)
  endif()
  if(NOT IS_ABSOLUTE ${scene})
    set(scene ${PROJECT_SOURCE_DIR}/tests/render/scenes/${scene})
  endif()
  set(size --size 160x120)
  if("--size" IN_LIST PT_ARGS)
    set(size)
  endif()
  set(out ${CMAKE_BINARY_DIR}/pictures)
  file(MAKE_DIRECTORY ${out})
  add_test(NAME picture.${name}
    COMMAND picture_test ${name} ${PT_BASELINE} ${out} ${PT_SHARE} ${PT_LEVEL} $<BOOL:${TALAN_REQUIRE_GL}>
            -- $<TARGET_FILE:talan3d> --render @PICTURE@ ${size} ${PT_ARGS} -- ${scene})
  set_tests_properties(picture.${name} PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 60 LABELS render)
  if(PT_BOXES_TOO)
    add_test(NAME picture.${name}.boxes
      COMMAND picture_test ${name}.boxes ${PT_BASELINE} ${out} ${PT_SHARE} ${PT_LEVEL} $<BOOL:${TALAN_REQUIRE_GL}>
              -- $<TARGET_FILE:talan3d> --render @PICTURE@ ${size} ${PT_ARGS} --draw-blocks boxes -- ${scene})
    set_tests_properties(picture.${name}.boxes PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 60 LABELS render)
  endif()
endfunction()

# The README's picture: its command line is taken from the README itself, and the
# picture it shows is the baseline.
file(STRINGS ${PROJECT_SOURCE_DIR}/README.md readme_render REGEX "^build/shell/talan3d --render open_pit.png ")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/README.md)
string(REGEX REPLACE "^build/shell/talan3d --render open_pit.png (.*) data/samples/open_pit.KDX$" "\\1"
       readme_render "${readme_render}")
separate_arguments(readme_render UNIX_COMMAND "${readme_render}")
talan_picture_test(readme_open_pit ${PROJECT_SOURCE_DIR}/data/samples/open_pit.KDX
  BASELINE ${PROJECT_SOURCE_DIR}/data/samples/open_pit.png ARGS ${readme_render} BOXES_TOO)

# Culling by the winding on screen: the left triangle runs counter-clockwise, the
# right one clockwise. "Front face" alone removes the counter-clockwise ones.
talan_picture_test(windings windings.KDX)
talan_picture_test(windings_cull_front windings.KDX ARGS --cull front)
talan_picture_test(windings_cull_back windings.KDX ARGS --cull back)
talan_picture_test(windings_wireframe windings.KDX ARGS --wireframe)
talan_picture_test(windings_hidden windings.KDX ARGS --hide 0)
talan_picture_test(windings_hidden_transparent windings.KDX ARGS --hide 0 --transparent 0)

# Block boxes are closed from every side and under every culling; transparent boxes
# show their far sides through their near ones.
talan_picture_test(flat_block_yaw45_cull_front flat_block.KDX ARGS --yaw 45 --cull front)
talan_picture_test(flat_block_yaw190_cull_back flat_block.KDX ARGS --yaw 190 --cull back)
talan_picture_test(flat_block_transparent flat_block.KDX ARGS --yaw 30 --transparent 0)
talan_picture_test(blocks blocks.KDX ARGS --yaw 20 --pitch 30 BOXES_TOO)
talan_picture_test(blocks_wireframe_cull_back blocks.KDX ARGS --yaw 200 --wireframe --cull back)
talan_picture_test(blocks_transparent blocks.KDX ARGS --yaw 20 --pitch 30 --transparent 0,1)
talan_picture_test(blocks_below blocks.KDX ARGS --yaw 120 --pitch -40 --cull front BOXES_TOO)

# Every kind of object together: lines, drill holes and points keep their own colour,
# points are separate dots; smoothing shades a faceted roof across its ridge.
talan_picture_test(all_kinds ${PROJECT_SOURCE_DIR}/data/samples/all_kinds.KDX ARGS --yaw 30 BOXES_TOO)
talan_picture_test(all_kinds_transparent ${PROJECT_SOURCE_DIR}/data/samples/all_kinds.KDX ARGS --yaw 30 --transparent 0,3)
talan_picture_test(roof roof.KDX)
talan_picture_test(roof_smooth roof.KDX ARGS --smooth)

# Section slabs across each file axis: what lies outside is gone, boxes and triangles
# that cross a plane are drawn cut open.
talan_picture_test(section_x blocks.KDX ARGS --yaw 30 --pitch 35 --section x,0,4 BOXES_TOO)
talan_picture_test(section_y blocks.KDX ARGS --yaw 30 --pitch 35 --section y,2,3 BOXES_TOO)
talan_picture_test(section_z_transparent blocks.KDX ARGS --yaw 30 --pitch 35 --section z,-1,2.5 --transparent 0)
talan_picture_test(section_surface roof.KDX ARGS --yaw 60 --section x,-4,5)

# Menu commands replayed with --command run the very code the menus run. Both face
# entries chosen once, by identifier or by name, reach "Front face" alone, as --cull
# front does; smoothing the shown surfaces gives the picture of smoothing them on
# open; a Transparent entry chosen again draws its object opaque; antialiased lines
# soften the wireframe.
set(baselines ${PROJECT_SOURCE_DIR}/tests/render/baselines)
talan_picture_test(windings_face_rule windings.KDX BASELINE ${baselines}/windings_cull_front.png
  ARGS --command 4012 --command 4013)
talan_picture_test(windings_face_rule_by_name windings.KDX BASELINE ${baselines}/windings_cull_front.png
  ARGS --command front-face --command back-face)
talan_picture_test(roof_smooth_actives roof.KDX BASELINE ${baselines}/roof_smooth.png ARGS --command 4014)
talan_picture_test(blocks_transparent_chosen_again blocks.KDX ARGS --yaw 20 --pitch 30 --transparent 0,1 --command 10002)
talan_picture_test(all_kinds_antialiased_wireframe ${PROJECT_SOURCE_DIR}/data/samples/all_kinds.KDX
  ARGS --yaw 30 --command 4010 --command 4021)
# The same slab through the View menu's Section commands: across y at the target,
# one thickness north, then half as thick.
talan_picture_test(section_by_commands blocks.KDX ARGS --yaw 30 --pitch 35 --command 4101 --command 4103 --command 4106 BOXES_TOO)

# A flat scene seen straight down has north (+y) up and east right, and the yaw's
# heading up when turned; seen straight up, east stays right and north is down; just
# past the vertical the picture goes on as just short of it.
talan_picture_test(plan_view plan.KDX ARGS --pitch 90)
talan_picture_test(plan_view_yaw90 plan.KDX ARGS --pitch 90 --yaw 90)
talan_picture_test(plan_view_from_below plan.KDX ARGS --pitch -90)
talan_picture_test(plan_view_past_vertical plan.KDX ARGS --pitch 91)

# Block models on a lattice cast one ray per pixel against the pictures of their
# boxes: at most 0.05 % of the pixels part, on edges. The second section of
# blocks.KDX (flat boxes of a negative and a zero size) is off any lattice and stays
# boxes; the lone block of flat_block.KDX is a lattice of one cell, its far sides
# culled.
talan_picture_test(blocks_cast blocks.KDX BASELINE ${baselines}/blocks.png SHARE 0.0005
  ARGS --yaw 20 --pitch 30 --draw-blocks cast)
talan_picture_test(blocks_below_cast blocks.KDX BASELINE ${baselines}/blocks_below.png SHARE 0.0005
  ARGS --yaw 120 --pitch -40 --cull front --draw-blocks cast)
talan_picture_test(section_x_cast blocks.KDX BASELINE ${baselines}/section_x.png SHARE 0.0005
  ARGS --yaw 30 --pitch 35 --section x,0,4 --draw-blocks cast)
talan_picture_test(flat_block_cast flat_block.KDX BASELINE ${baselines}/flat_block_yaw45_cull_front.png SHARE 0.0005
  ARGS --yaw 45 --cull front --draw-blocks cast)

# Mouse, wheel and keys replayed from input scripts (tests/render/input/) through the
# calls the window's events reach. A left drag turns about the point looked at, as
# --yaw and --pitch do; a right drag moves the scene with the cursor; the wheel zooms
# out and back in by whole notches, however finely it turns; CONTROL steers the light;
# the Section entries' keys do what the entries do.
set(inputs ${CMAKE_CURRENT_LIST_DIR}/input)
talan_picture_test(input_turn blocks.KDX BASELINE ${baselines}/blocks.png ARGS --input ${inputs}/turn.txt)
talan_picture_test(input_pan ${PROJECT_SOURCE_DIR}/data/samples/open_pit.KDX ARGS --input ${inputs}/pan.txt)
talan_picture_test(input_wheel_out ${PROJECT_SOURCE_DIR}/data/samples/open_pit.KDX ARGS --input ${inputs}/wheel_out.txt)
talan_picture_test(input_wheel_out_and_in roof.KDX BASELINE ${baselines}/roof.png ARGS --input ${inputs}/wheel_out_and_in.txt)
talan_picture_test(input_light roof.KDX ARGS --input ${inputs}/light.txt)
talan_picture_test(input_ambient roof.KDX ARGS --input ${inputs}/ambient.txt)
talan_picture_test(input_section_keys blocks.KDX BASELINE ${baselines}/section_by_commands.png
  ARGS --yaw 30 --pitch 35 --input ${inputs}/section_keys.txt)

# The standard views. --view plan is the flat scene straight down with north up, the
# picture of --pitch 90, whatever a --command turned to before; --yaw then turns it as
# it turns the fit. --view east looks level at the open pit from its west side: north
# on the left, the elevation up; the E key of an input script draws the same.
talan_picture_test(plan_view_standard plan.KDX BASELINE ${baselines}/plan_view.png ARGS --command look-west --view plan)
talan_picture_test(plan_view_standard_then_yaw plan.KDX BASELINE ${baselines}/plan_view_yaw90.png
  ARGS --view plan --yaw 90)
talan_picture_test(open_pit_east ${PROJECT_SOURCE_DIR}/data/samples/open_pit.KDX ARGS --size 320x200 --view east)
talan_picture_test(input_look_east ${PROJECT_SOURCE_DIR}/data/samples/open_pit.KDX BASELINE ${baselines}/open_pit_east.png
  ARGS --size 320x200 --pitch 20 --input ${inputs}/look_east.txt)
# A tall red post at the north edge and a short green one at the east edge of a blue
# square: looking east the green post stands in the middle and the red one on the
# left; looking south the red post stands in front and the green one on the left.
talan_picture_test(posts_east posts.KDX ARGS --view east)
talan_picture_test(posts_south posts.KDX ARGS --view south)
# Vertical exaggeration: the roof's profile seen level, as the file has it and five
# times as tall, framed alike; a slab across y through the blocks three times as tall,
# the same whether the blocks are cast or drawn as boxes.
talan_picture_test(roof_profile roof.KDX ARGS --pitch 0)
talan_picture_test(roof_profile_exaggerated roof.KDX ARGS --pitch 0 --exaggeration 5)
talan_picture_test(section_y_exaggerated blocks.KDX ARGS --yaw 30 --pitch 35 --section y,2,3 --exaggeration 3 BOXES_TOO)
talan_picture_test(section_y_exaggerated_cast blocks.KDX BASELINE ${baselines}/section_y_exaggerated.png SHARE 0.0005
  ARGS --yaw 30 --pitch 35 --section y,2,3 --exaggeration 3 --draw-blocks cast)

# The axes triad and the scale bar over the picture. Straight down on the flat scene the
# north arrow points up; turned 90 degrees, with east up, it points left. The bar's
# length is a round number, written under it.
talan_picture_test(overlay_plan plan.KDX ARGS --size 320x240 --pitch 90 OVERLAY)
talan_picture_test(overlay_plan_yaw90 plan.KDX ARGS --size 320x240 --pitch 90 --yaw 90 OVERLAY)
talan_picture_test(overlay_open_pit ${PROJECT_SOURCE_DIR}/data/samples/open_pit.KDX
  ARGS --size 320x240 --yaw 30 --background 1,1,1 --section z,300,200 --wireframe OVERLAY)

# The drill-hole and GOCAD samples coloured by their values, with the legend: the
# holes' rock types as categories, their gold through another map between set limits,
# and the GOCAD surface by its elevations beside lines that carry another value.
set(drillholes ${PROJECT_SOURCE_DIR}/data/samples/drillholes)
talan_picture_test(samples_drillholes_lith ${drillholes}/collars.csv
  ARGS --size 480x360 ${drillholes}/surveys.csv ${drillholes}/assays.csv --color-by LITH --pitch 25 --yaw 30)
talan_picture_test(samples_drillholes_au ${drillholes}/assays.csv
  ARGS --size 480x360 ${drillholes}/collars.csv ${drillholes}/surveys.csv --color-by AU --colormap plasma
       --range 0,3 --pitch 25 --yaw 30)
talan_picture_test(samples_gocad_elev ${PROJECT_SOURCE_DIR}/data/samples/open_pit_surface.ts
  ARGS --size 480x360 ${PROJECT_SOURCE_DIR}/data/samples/pit_lines.pl --color-by ELEV --pitch 40)
talan_picture_test(samples_gocad_chainage ${PROJECT_SOURCE_DIR}/data/samples/pit_lines.pl
  ARGS --size 480x360 ${PROJECT_SOURCE_DIR}/data/samples/open_pit_surface.ts --color-by CHAINAGE --colormap greys
       --pitch 90)
