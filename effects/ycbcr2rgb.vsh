; Passes the quad through. Direct3D 9 puts pixel centres half a pixel off texel centres,
; so the position moves left by half a pixel (1/width in clip space) and up by half a
; pixel (1/height) to make every pixel sample its own texel centre.
;   c0.x  width   frame width in pixels
;   c1.x  height  frame height in pixels
vs_2_0
dcl_position v0
dcl_texcoord v1
rcp r0.x, c0.x
rcp r0.y, c1.x
add oPos.x, v0.x, -r0.x
add oPos.y, v0.y, r0.y
mov oPos.zw, v0
mov oT0, v1
