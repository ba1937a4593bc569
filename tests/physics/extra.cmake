# The mesh shape's edge pass is checked against Bullet's own, so this suite sees Bullet.
target_link_libraries(test_physics PRIVATE Bullet::Bullet)
