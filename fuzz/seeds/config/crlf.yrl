YRL_LAYER_PREFIX  "A B" 
yrl_drawing_proj_system first_angle
yrl_tolerance -1e-3
yrl_add_debug_commands yes
